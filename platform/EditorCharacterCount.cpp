// The character count of the editor component, made cheap.
//
// On every insertion and deletion QScintilla tells Qt's accessibility layer
// where the change happened as a character offset, which it gets by asking
// the editor to count the characters from the start of the text to the
// change (SCI_COUNTCHARACTERS from 0).  The component counts them one by one,
// so each keystroke walked the text before the caret, whether an assistive
// technology listened or not: 20 ms a key in the middle of a 5 MB program.
//
// QScintilla sends that message through its exported member
// QsciScintillaBase::SendScintilla(unsigned int, unsigned long, long), which
// it calls through the dynamic linker like any other program would.  This
// program defines the same member: every caller, QScintilla's own code
// included, reaches this definition, which passes every message on to the
// component's own unchanged except a count from the start of the text.  That
// count is answered from the component's line character index (the
// characters before the line, kept up to date by the component on every
// edit) plus the count within the line, which is the same number.
//
// The editor's accessible object turns positions into character offsets and
// back the same way (CharactersBefore, PositionOfCharacter).
#include <Qsci/qsciscintillabase.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "platform/EditorInternals.h"

namespace {

using SB = QsciScintillaBase;
using SendFunction = long (*)(const QsciScintillaBase*, unsigned int, unsigned long, long);

SendFunction ComponentSend() {
    static const SendFunction send = [] {
        void* symbol = dlsym(RTLD_NEXT, "_ZNK17QsciScintillaBase13SendScintillaEjml");
        if (!symbol) {
            // Without the component's own member no editor can work at all.
            std::fprintf(stderr, "QScintilla's SendScintilla was not found: %s\n", dlerror());
            std::abort();
        }
        return reinterpret_cast<SendFunction>(symbol);
    }();
    return send;
}

// Counts below this many bytes take the component's own walk.
constexpr long kShortCount = 256;

// How many counts from the start the component's callers got from the index.
long answeredFromIndex = 0;

// Whether the editor keeps its line character index; the first call makes
// the component keep it.  A document that keeps none (not UTF-8) is counted
// the slow way.
bool HasCharacterIndex(const SB* editor, SendFunction send) {
    if ((send(editor, SB::SCI_GETLINECHARACTERINDEX, 0, 0) & SB::SC_LINECHARACTERINDEX_UTF32) != 0) return true;
    send(editor, SB::SCI_ALLOCATELINECHARACTERINDEX, SB::SC_LINECHARACTERINDEX_UTF32, 0);
    return (send(editor, SB::SCI_GETLINECHARACTERINDEX, 0, 0) & SB::SC_LINECHARACTERINDEX_UTF32) != 0;
}

// The characters before byte `end` (at most the length), from the index.
long CountFromIndex(const SB* editor, SendFunction send, long end) {
    const long length = send(editor, SB::SCI_GETLENGTH, 0, 0);
    if (end > length) end = length;
    const long line = send(editor, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end), 0);
    const long lineStart = send(editor, SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line), 0);
    const long before = send(editor, SB::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                             SB::SC_LINECHARACTERINDEX_UTF32);
    return before + send(editor, SB::SCI_COUNTCHARACTERS, static_cast<unsigned long>(lineStart), end);
}

}  // namespace

long QsciScintillaBase::SendScintilla(unsigned int msg, unsigned long wParam, long lParam) const {
    const SendFunction send = ComponentSend();
    if (msg != SB::SCI_COUNTCHARACTERS || wParam != 0 || lParam <= kShortCount || !HasCharacterIndex(this, send))
        return send(this, msg, wParam, lParam);
    ++answeredFromIndex;
    return CountFromIndex(this, send, lParam);
}

namespace platform::detail {

long CharactersBefore(const QsciScintillaBase& editor, long position) {
    const SendFunction send = ComponentSend();
    if (position <= 0) return 0;
    if (position <= kShortCount || !HasCharacterIndex(&editor, send)) {
        const long length = send(&editor, SB::SCI_GETLENGTH, 0, 0);
        return send(&editor, SB::SCI_COUNTCHARACTERS, 0, position < length ? position : length);
    }
    return CountFromIndex(&editor, send, position);
}

long PositionOfCharacter(const QsciScintillaBase& editor, long offset) {
    const SendFunction send = ComponentSend();
    const long length = send(&editor, SB::SCI_GETLENGTH, 0, 0);
    if (offset <= 0) return 0;
    // The component answers 0 for a position past the end.
    if (!HasCharacterIndex(&editor, send)) {
        const long position = send(&editor, SB::SCI_POSITIONRELATIVE, 0, offset);
        return position > 0 ? position : length;
    }
    const long line = send(&editor, SB::SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset),
                           SB::SC_LINECHARACTERINDEX_UTF32);
    const long before = send(&editor, SB::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                             SB::SC_LINECHARACTERINDEX_UTF32);
    const long lineStart = send(&editor, SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line), 0);
    if (offset <= before) return lineStart;
    const long position =
        send(&editor, SB::SCI_POSITIONRELATIVE, static_cast<unsigned long>(lineStart), offset - before);
    return position > lineStart ? position : length;
}

long CountsAnsweredFromIndex() { return answeredFromIndex; }

}  // namespace platform::detail
