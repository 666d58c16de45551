"""The handwriting-style faces of Debian's font packages that the recogniser learns from, and
the whole faces held out to measure it on hands it has never seen."""
TRAINING_FONTS = [
    "/usr/share/fonts/truetype/fifthhorseman/dkg.ttf",
    "/usr/share/fonts/truetype/breip/breipfont.ttf",
    "/usr/share/fonts/truetype/femkeklaver/femkeklaver.ttf",
    "/usr/share/fonts/truetype/ecolier-court/Ecolier-court.ttf",
    "/usr/share/fonts/truetype/klee/KleeOne-Regular.ttf",
    "/usr/share/fonts/truetype/kristi/Kristi.ttf",
    "/usr/share/fonts/truetype/rufscript/Rufscript010.ttf",
    "/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf",
    "/usr/share/fonts/opentype/bwht/BecauseWeBuild-Regular.otf",
    "/usr/share/fonts/opentype/bwht/BecauseWeConnect-Regular.otf",
    "/usr/share/fonts/opentype/bwht/BecauseWeCreate-Regular.otf",
    "/usr/share/fonts/opentype/bwht/BecauseWeLearn-Regular.otf",
    "/usr/share/fonts/opentype/bwht/BecauseWeMentor-Regular.otf",
    "/usr/share/fonts/truetype/sjfonts/Delphine.ttf",
    "/usr/share/fonts/truetype/sjfonts/SteveHand.ttf",
    "/usr/share/fonts/truetype/tomsontalks/TomsonTalks.ttf",
    "/usr/share/fonts/truetype/yusei-magic/YuseiMagic-Regular.ttf",
    "/usr/share/fonts/truetype/yozvox-yozfont/YOzRNF.ttf",
]
HELD_OUT_FONTS = [
    "/usr/share/fonts/truetype/humor-sans/Humor-Sans.ttf",
    "/usr/share/fonts/truetype/tlwg/Purisa.ttf",
    "/usr/share/fonts/opentype/bwht/BecauseWeOrganize-Regular.otf",
]
# Debian's packages of all of them.
PACKAGES = ["fonts-dkg-handwriting", "fonts-breip", "fonts-femkeklaver", "fonts-ecolier-court", "fonts-klee",
            "fonts-kristi", "fonts-rufscript", "fonts-comic-neue", "fonts-bwht", "fonts-sjfonts", "fonts-tomsontalks",
            "fonts-yusei-magic", "fonts-yozvox-yozfont", "fonts-humor-sans", "fonts-tlwg-purisa-ttf"]
