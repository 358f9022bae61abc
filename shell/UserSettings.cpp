#include "shell/UserSettings.h"

#include "shell/PageRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <array>

namespace zolt {

namespace {

constexpr auto kGeometry = "window/geometry";
constexpr auto kPage = "window/page";
constexpr auto kLanguage = "window/language";
// By EFileKind.
constexpr std::array<const char*, 4> kFolderKeys{"folders/one-mode", "folders/all-modes",
                                                 "folders/filter-lists", "folders/measurements"};

// An int setting within first..last.
std::optional<int> IntWithin(const std::optional<QVariant>& value, int first, int last) {
    bool ok = false;
    const int n = value ? value->toInt(&ok) : 0;
    return ok && n >= first && n <= last ? std::optional<int>(n) : std::nullopt;
}

} // namespace

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zolt/zolt.conf");
}

QString DataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/zolt");
    return QDir().mkpath(folder) ? folder : QString();
}

bool MakeModeFolder() {
    const QString data = DataFolder();
    if (data.isEmpty()) {
        return false;
    }
    const QString mode = data + QStringLiteral("/Mode");
    return QFileInfo::exists(mode) || QDir().mkdir(mode);
}

CUserSettings::CUserSettings(bool bRemember) {
    if (bRemember) {
        m_pSettings = std::make_unique<QSettings>(SettingsFile(), QSettings::IniFormat);
    }
}

CUserSettings::~CUserSettings() = default;

std::optional<QVariant> CUserSettings::Value(const QString& strKey) const {
    if (m_pSettings == nullptr || !m_pSettings->contains(strKey)) {
        return std::nullopt;
    }
    return m_pSettings->value(strKey);
}

// Written through at once: a program that is killed keeps what it was told.
void CUserSettings::SetValue(const QString& strKey, const QVariant& value) {
    if (m_pSettings != nullptr) {
        m_pSettings->setValue(strKey, value);
        m_pSettings->sync();
    }
}

std::optional<QByteArray> CUserSettings::Geometry() const {
    const std::optional<QVariant> value = Value(QLatin1String(kGeometry));
    return value ? std::optional<QByteArray>(value->toByteArray()) : std::nullopt;
}

void CUserSettings::SetGeometry(const QByteArray& geometry) {
    SetValue(QLatin1String(kGeometry), geometry);
}

std::optional<int> CUserSettings::Page() const {
    return IntWithin(Value(QLatin1String(kPage)), 0, kPageCount - 1);
}

void CUserSettings::SetPage(int nPage) {
    SetValue(QLatin1String(kPage), nPage);
}

std::optional<int> CUserSettings::Language() const {
    return IntWithin(Value(QLatin1String(kLanguage)), 0, 1);
}

void CUserSettings::SetLanguage(int nLanguage) {
    SetValue(QLatin1String(kLanguage), nLanguage);
}

QString CUserSettings::StartFolder(EFileKind eKind) const {
    const std::optional<QVariant> last =
        Value(QLatin1String(kFolderKeys[static_cast<std::size_t>(eKind)]));
    if (last && QFileInfo(last->toString()).isDir()) {
        return last->toString();
    }
    const QString musicFile = QDir::current().filePath(QStringLiteral("MusicFile"));
    if (QFileInfo(musicFile).isDir()) {
        return musicFile;
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void CUserSettings::ChoseFile(EFileKind eKind, const QString& strPath) {
    SetValue(QLatin1String(kFolderKeys[static_cast<std::size_t>(eKind)]),
             QFileInfo(strPath).absolutePath());
}

} // namespace zolt
