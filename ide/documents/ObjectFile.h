// The object file (".obj") written beside a program after each successful
// compile: 25 reserved zero bytes, the remark (100 bytes, blank-padded), the
// variable count and the byte count (signed 16 bits each, low byte first),
// one 35-byte record per variable (name 32 bytes blank-padded, position
// signed 16 bits, type one byte), then the object image without its unused
// element 0.  Nothing in the program reads it back.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// The header as it is written, field by field.
struct ObjectFileHeader {
    std::array<uint8_t, 25> Reserved{};
    std::array<uint8_t, 100> Remark{};
    int16_t TotalVars = 0;
    int16_t TotalBytes = 0;
};

// One variable record as it is written.
struct ObjectFileVariable {
    std::array<uint8_t, 32> VarName{};
    int16_t VarPos = 0;
    uint8_t VarType = 0;
};

// The records the object-file writer fills.
inline ObjectFileHeader ObjHeader;
inline ObjectFileVariable ObjVariable;

}  // namespace modMain

namespace modApp {

constexpr int kObjectHeaderSize = 129;
constexpr int kObjectVariableSize = 35;

// Name of the object file of a source path: the first ".bas" (any letter
// case) in the file-name part, with what follows it, becomes ".obj"; a name
// without one gets ".obj" appended.  D:/p/walk.basic gives D:/p/walk.obj.
QString ObjectFileName(const QString& sourcePath);

// The object file's bytes for the compiler's last result, in the code page
// of the user-interface language.  Fails (false) when the result does not fit
// the format (more than 32767 code bytes) or its tables are shorter than its
// counts say.
bool ObjectFileBytes(const qvv2::QUARVELv2& basic, QByteArray& bytes);

// Writes the object file of the compiler's last result beside its source
// (the compiler's Filename) when modMain::CompiledOK is set; does nothing
// otherwise.  The file is replaced as a whole or not at all; when it cannot
// be written, an existing object file of the same name is removed, so no
// object file of an older compile remains.  Reports nothing; returns whether
// a file was written.  The build pipeline calls it after each compile of the
// active document, with the main window's compiler control.
bool WriteObjectFile(const qvv2::QUARVELv2& basic);

}  // namespace modApp
