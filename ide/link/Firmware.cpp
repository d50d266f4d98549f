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

template <size_t N>
bool ReadCode(const QString& file, const char* key, std::array<uint8_t, N>& out) {
    std::vector<uint8_t> bytes;
    if (!ParseBytes(modIni::ReadIni(kSection, QString::fromLatin1(key), QString(), file), N, bytes)) return false;
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
}

// The package from the two files in `firmwareFolder` (ending in the path
// separator).
Package LoadIn(const QString& firmwareFolder) {
    Package p;
    const QString imagePath = firmwareFolder + kImageName;
    const QString codePath = firmwareFolder + kCodeName;

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

    p.Trouble = Problem::CodeUnusable;
    p.File = codePath;
    if (!platform::IsFile(codePath)) return p;
    // The keys in the order of the exchange; the first one that is missing or
    // wrong is named.
    AccessCode code;
    std::array<uint8_t, 1> prompt{};
    const auto read = [&](const char* key, auto& out) {
        if (!p.Key.isEmpty() || ReadCode(codePath, key, out)) return;
        p.Key = QString::fromLatin1(key);
        p.KeyBytes = static_cast<int>(out.size());
    };
    read("WakeUp", code.WakeUp);
    read("WakeUpReply", code.WakeUpReply);
    read("Prompt", prompt);
    read("Start", code.Start);
    read("Acknowledge", code.Acknowledge);
    if (!p.Key.isEmpty()) return p;
    code.Prompt = prompt[0];

    p.Image.assign(reinterpret_cast<const uint8_t*>(bytes.constData()),
                   reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size());
    p.Code = code;
    p.Trouble = Problem::None;
    p.File.clear();
    return p;
}

}  // namespace

QString FirmwareFolder() { return modApp::DataFolder(kFolder); }
QString ImagePath() { return FirmwareFolder() + kImageName; }
QString AccessCodePath() { return FirmwareFolder() + kCodeName; }

Package Load() { return LoadIn(FirmwareFolder()); }

Package LoadFrom(const QString& folder) {
    return LoadIn(modApp::AddBackslash(modApp::AddBackslash(folder) + kFolder));
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
    // A key of the access code that is missing or wrong: its name and its
    // length (%1, %2).
    static const platform::LocalizedText kKey = {
        "The firmware update is not available: in the boot loader settings file, the value of %1 is missing or not "
        "valid: it must be %2 hexadecimal bytes.",
        "펌웨어 업데이트를 할 수 없습니다: 부트 로더 설정 파일의 %1 값이 없거나 올바르지 않습니다. 16진수 %2 "
        "바이트여야 합니다.",
        "ファームウェアを更新できません: ブートローダーの設定ファイルの %1 の値がないか、正しくありません。16 進数 "
        "%2 バイトで指定してください。",
        "无法更新固件：引导加载程序设置文件中 %1 的值缺失或无效，必须为 %2 个十六进制字节。"};
    static const platform::LocalizedText kKeyOneByte = {
        "The firmware update is not available: in the boot loader settings file, the value of %1 is missing or not "
        "valid: it must be %2 hexadecimal byte.",
        kKey.korean, kKey.japanese, kKey.chinese};
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
    QString text = platform::Localized(*t);
    if (package.Trouble == Problem::CodeUnusable && !package.Key.isEmpty())
        text = platform::Localized(package.KeyBytes == 1 ? kKeyOneByte : kKey)
                   .arg(package.Key, QString::number(package.KeyBytes));
    return text + QStringLiteral("\r\n") + QDir::toNativeSeparators(package.File);
}

}  // namespace Firmware
