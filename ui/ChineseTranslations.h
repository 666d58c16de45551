#pragma once

// Qt's own words (the OK button, the editing menus) in Chinese, whatever the locale: every
// other word of the program is Chinese. Returns whether the translations were found.
bool InstallChineseTranslations();
