#pragma once

class QCoreApplication;

/// Loads the toolkit's own Russian texts (the edit boxes' context menus,
/// standard buttons and dialogs) whatever the system locale, so that the
/// whole window speaks the program's language. Returns false, leaving those
/// texts in English, when the translation files are not installed.
bool InstallToolkitTranslation(QCoreApplication& app);
