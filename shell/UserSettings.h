// What the program remembers between runs, and the folders it works in. The settings file
// is the desktop's usual place ($XDG_CONFIG_HOME/zolt/zolt.conf, ~/.config by default): the
// window's size, position and maximised state, the page last shown, the language chosen
// with the language button, and the last folder of each kind of file dialog. The program's
// own folder ("Mode") lives in the user's data folder ($XDG_DATA_HOME/zolt, ~/.local/share
// by default), never in the directory the program was started from. UI thread.
#pragma once

#include "pages/PageApi.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

namespace zolt {

// The settings file.
QString SettingsFile();
// The data folder, made when missing; empty when it cannot be made.
QString DataFolder();
// Makes the folder "Mode" in the data folder when nothing of that name is there; false when
// it cannot be made (the program starts all the same).
bool MakeModeFolder();

class CUserSettings {
public:
    // A program that does not remember (the screenshot run, most tests) reads nothing and
    // writes nothing: every question has no answer.
    explicit CUserSettings(bool bRemember);
    ~CUserSettings();
    CUserSettings(const CUserSettings&) = delete;
    CUserSettings& operator=(const CUserSettings&) = delete;

    // The window's geometry as QWidget::saveGeometry gives it.
    std::optional<QByteArray> Geometry() const;
    void SetGeometry(const QByteArray& geometry);
    // Page index 0..9.
    std::optional<int> Page() const;
    void SetPage(int nPage);
    // The language flag: 1 Chinese, 0 English.
    std::optional<int> Language() const;
    void SetLanguage(int nLanguage);
    // The folder a dialog of that kind starts in: the last one it was used in while that
    // folder still exists, else "MusicFile" under the current directory when it exists, else
    // the user's documents folder.
    QString StartFolder(EFileKind eKind) const;
    // A dialog of that kind chose strPath: its folder is where the next one starts.
    void ChoseFile(EFileKind eKind, const QString& strPath);

private:
    std::optional<QVariant> Value(const QString& strKey) const;
    void SetValue(const QString& strKey, const QVariant& value);

    std::unique_ptr<QSettings> m_pSettings; // null when the program does not remember
};

} // namespace zolt
