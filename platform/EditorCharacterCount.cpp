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

}  // namespace

long QsciScintillaBase::SendScintilla(unsigned int msg, unsigned long wParam, long lParam) const {
    const SendFunction send = ComponentSend();
    if (msg != SB::SCI_COUNTCHARACTERS || wParam != 0 || lParam <= kShortCount) return send(this, msg, wParam, lParam);
    if ((send(this, SB::SCI_GETLINECHARACTERINDEX, 0, 0) & SB::SC_LINECHARACTERINDEX_UTF32) == 0) {
        send(this, SB::SCI_ALLOCATELINECHARACTERINDEX, SB::SC_LINECHARACTERINDEX_UTF32, 0);
        // A document that keeps no index (not UTF-8) is counted the slow way.
        if ((send(this, SB::SCI_GETLINECHARACTERINDEX, 0, 0) & SB::SC_LINECHARACTERINDEX_UTF32) == 0)
            return send(this, msg, wParam, lParam);
    }
    const long length = send(this, SB::SCI_GETLENGTH, 0, 0);
    const long end = lParam > length ? length : lParam;
    const long line = send(this, SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end), 0);
    const long lineStart = send(this, SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line), 0);
    const long before = send(this, SB::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                             SB::SC_LINECHARACTERINDEX_UTF32);
    return before + send(this, SB::SCI_COUNTCHARACTERS, static_cast<unsigned long>(lineStart), end);
}

namespace platform::detail {

bool CharacterCountFromIndex() { return ComponentSend() != nullptr; }

}  // namespace platform::detail
