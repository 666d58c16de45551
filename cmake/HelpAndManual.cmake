# One text for each program's --help and for the options of its manual page, so that the two
# cannot drift apart: the text is compiled into the program, and the manual page's OPTIONS
# (and KEYS) are made from it at build time.

# pellarin_help_text(TARGET FILE): the text of FILE as `kHelpText` in <TARGET>_help.h.
function(pellarin_help_text target file)
    set(header ${CMAKE_CURRENT_BINARY_DIR}/${target}_help.h)
    add_custom_command(OUTPUT ${header}
        COMMAND ${CMAKE_COMMAND} -DHELP=${file} -DOUT=${header} -P ${PROJECT_SOURCE_DIR}/cmake/HelpAndManual.cmake
        DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/HelpAndManual.cmake)
    target_sources(${target} PRIVATE ${header})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# pellarin_manual_page(TEMPLATE HELP OUT): the manual page with @OPTIONS@ (and @KEYS@) made
# from the help text's indented entries, and @PROJECT_VERSION@ filled in.
function(pellarin_manual_page template help out)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DHELP=${help} -DTEMPLATE=${template} -DMAN=${out}
            -DPROJECT_VERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/HelpAndManual.cmake
        DEPENDS ${help} ${template} ${PROJECT_SOURCE_DIR}/cmake/HelpAndManual.cmake)
endfunction()

# ---- run as a script (cmake -P) ----
if(CMAKE_SCRIPT_MODE_FILE AND HELP)
    cmake_policy(VERSION 3.22)
    file(READ ${HELP} text)
    if(OUT)
        # A raw string needs no escapes; the delimiter never occurs in a help text.
        file(WRITE ${OUT}.tmp "#pragma once\n// Made from ${HELP} at build time.\nconstexpr const char* kHelpText = R\"PELLARIN_HELP(${text})PELLARIN_HELP\";\n")
        file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
        file(REMOVE ${OUT}.tmp)
    endif()
    if(MAN)
        # Entries are lines indented by two spaces, "  TERM    description", continued by
        # lines indented further; a line flush left ends a list and names the next one.
        string(REPLACE "\\" "\\e" text "${text}")
        string(REPLACE "-" "\\-" text "${text}")
        string(REPLACE "\n" ";" lines "${text}")
        set(section OPTIONS)
        set(OPTIONS "")
        set(KEYS "")
        foreach(line IN LISTS lines)
            if(line MATCHES "^  ([^ ].*[^ ]|[^ ])   +(.*)$")
                string(APPEND ${section} ".TP\n.B ${CMAKE_MATCH_1}\n${CMAKE_MATCH_2}\n")
            elseif(line MATCHES "^     +(.*)$" AND NOT "${${section}}" STREQUAL "")
                string(APPEND ${section} "${CMAKE_MATCH_1}\n")
            elseif(line MATCHES "^按键")
                set(section KEYS)
            endif()
        endforeach()
        file(READ ${TEMPLATE} page)
        string(CONFIGURE "${page}" page @ONLY)
        file(WRITE ${MAN} "${page}")
    endif()
endif()
