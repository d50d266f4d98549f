#include "link/Firmware.h"

#include <QDir>
#include <QRegularExpression>

#include <cerrno>

#include "documents/modApp.h"
#include "documents/modIni.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"
#include "platform/UiLanguage.h"

namespace Firmware {

namespace {

const QString kFolder = QStringLiteral("firmware");
const QString kImageName = QStringLiteral("controller.fw");
const QString kCodeName = QStringLiteral("bootloader.ini");
const QString kSection = QStringLiteral("BootLoader");

QString In(const QString& folder, const QString& name) {
    return modApp::AddBackslash(modApp::AddBackslash(folder) + kFolder) + name;
}

template <size_t N>
bool ReadCode(const QString& file, const QString& key, std::array<uint8_t, N>& out) {
    std::vector<uint8_t> bytes;
    if (!ParseBytes(modIni::ReadIni(kSection, key, QString(), file), N, bytes)) return false;
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
}

// A text of the string table, or the given English text when the table has
// no such entry.
}  // namespace

QString ImagePath() { return In(modApp::AppPath(), kImageName); }
QString AccessCodePath() { return In(modApp::AppPath(), kCodeName); }

Package Load() { return LoadFrom(modApp::AppPath()); }

Package LoadFrom(const QString& folder) {
    Package p;
    const QString imagePath = In(folder, kImageName);
    const QString codePath = In(folder, kCodeName);

    // Only an ordinary file within the largest image the update can carry is
    // read; a pipe or a device in its place is never opened for reading.
    QByteArray bytes;
    const int err = platform::ReadRegularFile(imagePath, kMaxImageBytes, bytes);
    if (err == ENOENT) {
        p.Trouble = Problem::ImageMissing;
        p.File = imagePath;
        return p;
    }
    if (err != 0 || bytes.isEmpty()) {
        p.Trouble = Problem::ImageUnusable;
        p.File = imagePath;
        return p;
    }

    AccessCode code;
    std::array<uint8_t, 1> prompt{};
    const bool codeOk = platform::IsFile(codePath) && ReadCode(codePath, QStringLiteral("WakeUp"), code.WakeUp) &&
                        ReadCode(codePath, QStringLiteral("WakeUpReply"), code.WakeUpReply) &&
                        ReadCode(codePath, QStringLiteral("Prompt"), prompt) &&
                        ReadCode(codePath, QStringLiteral("Start"), code.Start) &&
                        ReadCode(codePath, QStringLiteral("Acknowledge"), code.Acknowledge);
    if (!codeOk) {
        p.Trouble = Problem::CodeUnusable;
        p.File = codePath;
        return p;
    }
    code.Prompt = prompt[0];

    p.Image.assign(reinterpret_cast<const uint8_t*>(bytes.constData()),
                   reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size());
    p.Code = code;
    p.Trouble = Problem::None;
    p.File.clear();
    return p;
}

bool ParseBytes(const QString& text, size_t count, std::vector<uint8_t>& out) {
    out.clear();
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    static const QRegularExpression hexByte(QStringLiteral("^(?:0[xX]|&[hH])?([0-9A-Fa-f]{1,2})$"));
    const QStringList items = text.split(separators, Qt::SkipEmptyParts);
    if (static_cast<size_t>(items.size()) != count) return false;
    for (const QString& item : items) {
        const QRegularExpressionMatch m = hexByte.match(item);
        if (!m.hasMatch()) {
            out.clear();
            return false;
        }
        out.push_back(static_cast<uint8_t>(m.captured(1).toUInt(nullptr, 16)));
    }
    return true;
}

QString ProblemText(const Package& package) {
    // The program's own texts: the string table has no entries for them.
    static const platform::LocalizedText kMissing = {
        "The firmware update is not available: the firmware image file was not found.",
        "펌웨어 업데이트를 할 수 없습니다: 펌웨어 이미지 파일이 없습니다.",
        "ファームウェアを更新できません: ファームウェアのイメージファイルが見つかりません。",
        "无法更新固件：找不到固件映像文件。"};
    static const platform::LocalizedText kUnusable = {
        "The firmware update is not available: the firmware image file is empty, unreadable or longer than "
        "65,280 bytes.",
        "펌웨어 업데이트를 할 수 없습니다: 펌웨어 이미지 파일이 비어 있거나, 읽을 수 없거나, 65,280 바이트보다 "
        "깁니다.",
        "ファームウェアを更新できません: ファームウェアのイメージファイルが空か、読み込めないか、65,280 "
        "バイトを超えています。",
        "无法更新固件：固件映像文件为空、无法读取或超过 65,280 字节。"};
    static const platform::LocalizedText kCode = {
        "The firmware update is not available: the boot loader settings file was not found or is not valid.",
        "펌웨어 업데이트를 할 수 없습니다: 부트 로더 설정 파일이 없거나 올바르지 않습니다.",
        "ファームウェアを更新できません: ブートローダーの設定ファイルが見つからないか、正しくありません。",
        "无法更新固件：找不到引导加载程序设置文件，或该文件无效。"};
    const platform::LocalizedText* t = nullptr;
    switch (package.Trouble) {
    case Problem::None:
        return QString();
    case Problem::ImageMissing:
        t = &kMissing;
        break;
    case Problem::ImageUnusable:
        t = &kUnusable;
        break;
    case Problem::CodeUnusable:
        t = &kCode;
        break;
    }
    if (!t) return QString();
    return platform::Localized(*t) + QStringLiteral("\r\n") + QDir::toNativeSeparators(package.File);
}

}  // namespace Firmware
