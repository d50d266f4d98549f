// The editor as assistive technologies see it through Qt's accessibility
// interfaces: its text, caret and selection, the text and caret events of
// edits (also for an editor that existed before accessibility was switched
// on, as the document window opened at start-up does), requests for ranges
// outside the text, and the cheap character count behind the events.
#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/CodeEditor.h"
#include "platform/EditorInternals.h"

using platform::CodeEditor;

namespace {

// Switches Qt's accessibility on for the offscreen platform of the tests.
// QAccessible::isActive() reads the platform's accessibility object, which
// only the platform's bridge switches (as the desktop bridge does when a
// screen reader starts); the offscreen platform keeps Qt's plain object,
// reached here through its exported members.
class AccessibilityOn {
public:
    AccessibilityOn() { Switch(true); }
    ~AccessibilityOn() { Switch(false); }
    AccessibilityOn(const AccessibilityOn&) = delete;
    AccessibilityOn& operator=(const AccessibilityOn&) = delete;

private:
    static void Switch(bool on) {
        using Accessibility = void* (*)(const void*);
        using SetActive = void (*)(void*, bool);
        const auto accessibility =
            reinterpret_cast<Accessibility>(dlsym(RTLD_DEFAULT, "_ZNK20QPlatformIntegration13accessibilityEv"));
        const auto setActive =
            reinterpret_cast<SetActive>(dlsym(RTLD_DEFAULT, "_ZN22QPlatformAccessibility9setActiveEb"));
        // The running application's platform integration, on which the
        // member is called.
        const auto integration =
            static_cast<void* const*>(dlsym(RTLD_DEFAULT, "_ZN22QGuiApplicationPrivate20platform_integrationE"));
        ASSERT_TRUE(accessibility && setActive && integration && *integration)
            << "Qt's platform accessibility is not reachable";
        void* platform = accessibility(*integration);
        ASSERT_NE(platform, nullptr);
        setActive(platform, on);
        ASSERT_EQ(QAccessible::isActive(), on);
    }
};

// One accessibility event as a bridge to assistive technologies receives it:
// a text event only counts when the object it names offers a text interface
// (a bridge drops it otherwise).
struct Event {
    QAccessible::Event type = QAccessible::InvalidEvent;
    bool hasText = false;
    int position = -1;  // change position or caret offset
    QString text;       // inserted or removed text
};

std::vector<Event>& Recorded() {
    static std::vector<Event> events;
    return events;
}

void Record(QAccessibleEvent* event) {
    Event e;
    e.type = event->type();
    QAccessibleInterface* object = event->accessibleInterface();
    e.hasText = object && object->textInterface();
    switch (event->type()) {
        case QAccessible::TextInserted: {
            const auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
            e.position = inserted->changePosition();
            e.text = inserted->textInserted();
            break;
        }
        case QAccessible::TextRemoved: {
            const auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
            e.position = removed->changePosition();
            e.text = removed->textRemoved();
            break;
        }
        case QAccessible::TextCaretMoved:
            e.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
            break;
        default: return;
    }
    Recorded().push_back(e);
}

// Records the text and caret events while it lives.
class EventRecorder {
public:
    EventRecorder() : previous_(QAccessible::installUpdateHandler(Record)) { Recorded().clear(); }
    ~EventRecorder() {
        QAccessible::installUpdateHandler(previous_);
        Recorded().clear();
    }
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;
    // The events since the last call, in order.
    std::vector<Event> Take() {
        std::vector<Event> events;
        events.swap(Recorded());
        return events;
    }

private:
    QAccessible::UpdateHandler previous_;
};

const Event* Find(const std::vector<Event>& events, QAccessible::Event type) {
    for (const Event& e : events)
        if (e.type == type) return &e;
    return nullptr;
}

const Event* Last(const std::vector<Event>& events, QAccessible::Event type) {
    const Event* last = nullptr;
    for (const Event& e : events)
        if (e.type == type) last = &e;
    return last;
}

QAccessibleTextInterface* TextOf(CodeEditor& e) {
    QAccessibleInterface* object = QAccessible::queryAccessibleInterface(&e);
    return object ? object->textInterface() : nullptr;
}

void TypeText(CodeEditor& e, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

TEST(EditorAccessibilityTest, AnEditorMadeBeforeAccessibilityWasOnGivesItsTextAndEventsOnceItIs) {
    // Line 1 starts at character 8 ("START:" and its line end); the Korean
    // characters are three bytes each, one character each.
    CodeEditor e;
    e.SetWholeText(QStringLiteral("START:\r\n' 한글 MOVE\r\nEND"));
    e.show();
    // Something asks for the editor's accessible object while nothing
    // listens yet, as the window shown at start-up is asked.
    ASSERT_NE(QAccessible::queryAccessibleInterface(&e), nullptr);

    AccessibilityOn on;
    EventRecorder events;
    QAccessibleInterface* object = QAccessible::queryAccessibleInterface(&e);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->role(), QAccessible::EditableText);
    EXPECT_TRUE(object->state().multiLine);
    EXPECT_TRUE(object->state().editable);
    QAccessibleTextInterface* text = object->textInterface();
    ASSERT_NE(text, nullptr);
    ASSERT_NE(object->editableTextInterface(), nullptr);
    EXPECT_EQ(text->characterCount(), 22);
    EXPECT_EQ(text->text(0, text->characterCount()), e.WholeText());
    EXPECT_EQ(text->text(10, 12), QStringLiteral("한글"));

    // Typing after the Korean word: one insertion and the caret after it.
    e.setFocus();
    e.PutCaret(1, 4);
    events.Take();
    TypeText(e, QStringLiteral("X"));
    std::vector<Event> typed = events.Take();
    const Event* inserted = Find(typed, QAccessible::TextInserted);
    ASSERT_NE(inserted, nullptr);
    EXPECT_TRUE(inserted->hasText);
    EXPECT_EQ(inserted->position, 12);
    EXPECT_EQ(inserted->text, QStringLiteral("X"));
    const Event* caret = Last(typed, QAccessible::TextCaretMoved);
    ASSERT_NE(caret, nullptr);
    EXPECT_TRUE(caret->hasText);
    EXPECT_EQ(caret->position, 13);
    EXPECT_EQ(text->cursorPosition(), 13);

    QTest::keyClick(&e, Qt::Key_Backspace);
    typed = events.Take();
    const Event* removed = Find(typed, QAccessible::TextRemoved);
    ASSERT_NE(removed, nullptr);
    EXPECT_TRUE(removed->hasText);
    EXPECT_EQ(removed->position, 12);
    EXPECT_EQ(removed->text, QStringLiteral("X"));
    caret = Last(typed, QAccessible::TextCaretMoved);
    ASSERT_NE(caret, nullptr);
    EXPECT_EQ(caret->position, 12);

    // A caret move alone, and a selection.
    e.PutCaret(2, 1);
    typed = events.Take();
    caret = Last(typed, QAccessible::TextCaretMoved);
    ASSERT_NE(caret, nullptr);
    EXPECT_EQ(caret->position, 20);
    e.SelectRange(1, 2, 1, 4);
    EXPECT_EQ(text->selectionCount(), 1);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 10);
    EXPECT_EQ(end, 12);
}

TEST(EditorAccessibilityTest, RequestsOutsideTheTextAreClampedIntoIt) {
    // "한글😀" and two lines: 14 characters, the emoji one character.
    const QString whole = QString::fromUtf8("AB\xed\x95\x9c\xea\xb8\x80\xF0\x9F\x98\x80\r\nCD\r\nEFG");
    struct Case {
        const char* what;
        int start;
        int end;
        QString expected;
    };
    const Case cases[] = {
        {"the end past the end", 11, 16, QStringLiteral("EFG")},
        {"the end far past the end", 0, 1000000, whole},
        {"the start before the start", -3, 3, QStringLiteral("AB한")},
        {"the whole text", 0, 14, whole},
        {"an emoji is one character", 4, 5, QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"both past the end", 15, 20, QString()},
        {"both before the start", -9, -2, QString()},
        {"the start after the end", 5, 2, QString()},
        {"the start past the end, the end inside", 20, 11, QString()},
    };
    AccessibilityOn on;
    CodeEditor e;
    e.SetWholeText(whole);
    e.show();
    QAccessibleTextInterface* text = TextOf(e);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->characterCount(), 14);
    for (const Case& c : cases) EXPECT_EQ(text->text(c.start, c.end), c.expected) << c.what;

    // Everything else that takes an offset keeps to the text as well.
    int start = 0, end = 0;
    EXPECT_EQ(text->textAtOffset(14, QAccessible::LineBoundary, &start, &end), QStringLiteral("EFG"));
    EXPECT_EQ(start, 11);
    EXPECT_EQ(end, 14);
    EXPECT_EQ(text->textAtOffset(20, QAccessible::LineBoundary, &start, &end), QString());
    EXPECT_EQ(start, -1);
    EXPECT_EQ(end, -1);
    EXPECT_EQ(text->textAtOffset(14, QAccessible::CharBoundary, &start, &end), QString());
    EXPECT_EQ(start, 14);
    EXPECT_EQ(end, 14);
    EXPECT_EQ(text->textAtOffset(-7, QAccessible::CharBoundary, &start, &end), QString());
    EXPECT_EQ(text->textAfterOffset(13, QAccessible::CharBoundary, &start, &end), QString());
    EXPECT_EQ(text->textBeforeOffset(40, QAccessible::WordBoundary, &start, &end), QString());
    EXPECT_EQ(text->textAtOffset(8, QAccessible::WordBoundary, &start, &end), QStringLiteral("CD"));
    EXPECT_EQ(start, 7);
    EXPECT_EQ(end, 9);
    EXPECT_EQ(text->textBeforeOffset(8, QAccessible::LineBoundary, &start, &end), QString::fromUtf8("AB한글😀\r\n"));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 7);
    (void)text->characterRect(1000);
    (void)text->characterRect(-1000);
    (void)text->attributes(1000, &start, &end);
    text->scrollToSubstring(-5, 1000);
    text->setCursorPosition(1000);
    EXPECT_EQ(text->cursorPosition(), 14);
    text->setSelection(0, -4, 1000);
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 14);

    QAccessibleEditableTextInterface* edit = QAccessible::queryAccessibleInterface(&e)->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    edit->insertText(1000, QStringLiteral("H"));
    edit->deleteText(-5, 1);
    edit->replaceText(12, 1000, QStringLiteral("!"));
    EXPECT_EQ(e.WholeText(), QString::fromUtf8("B한글😀\r\nCD\r\nEF!"));
    EXPECT_TRUE(e.Changed());
}

TEST(EditorAccessibilityTest, WordsLinesAndCharactersAroundAnOffset) {
    // Offsets: FOO 2-5, BAR 7-10, 한글 12-14, X 15, the empty last line 18.
    CodeEditor e;
    e.SetWholeText(QStringLiteral("  FOO, BAR\r\n한글 X\r\n"));
    AccessibilityOn on;
    QAccessibleTextInterface* text = TextOf(e);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->characterCount(), 18);
    enum Where { At, Before, After };
    struct Case {
        Where where;
        QAccessible::TextBoundaryType type;
        int offset;
        QString expected;
        int start;
        int end;
    };
    const QString line1 = QStringLiteral("한글 X\r\n");
    const Case cases[] = {
        {At, QAccessible::WordBoundary, 3, QStringLiteral("FOO"), 2, 5},
        {At, QAccessible::WordBoundary, 5, QStringLiteral("FOO"), 2, 5},    // just after the word
        {At, QAccessible::WordBoundary, 6, QStringLiteral("FOO"), 2, 5},    // between words: the one before
        {At, QAccessible::WordBoundary, 0, QString(), -1, -1},              // no word before
        {At, QAccessible::WordBoundary, 11, QStringLiteral("BAR"), 7, 10},  // in the line end
        {After, QAccessible::WordBoundary, 0, QStringLiteral("FOO"), 2, 5},
        {After, QAccessible::WordBoundary, 3, QStringLiteral("BAR"), 7, 10},
        {After, QAccessible::WordBoundary, 9, QStringLiteral("한글"), 12, 14},
        {After, QAccessible::WordBoundary, 15, QString(), -1, -1},
        {Before, QAccessible::WordBoundary, 8, QStringLiteral("FOO"), 2, 5},
        {Before, QAccessible::WordBoundary, 3, QString(), -1, -1},
        {At, QAccessible::LineBoundary, 13, line1, 12, 18},
        {At, QAccessible::LineBoundary, 18, QString(), 18, 18},
        {At, QAccessible::LineBoundary, -1, QString(), 18, 18},  // -1: the end
        {Before, QAccessible::LineBoundary, 18, line1, 12, 18},
        {After, QAccessible::LineBoundary, 3, line1, 12, 18},
        {At, QAccessible::CharBoundary, 12, QStringLiteral("한"), 12, 13},
        {At, QAccessible::CharBoundary, 10, QStringLiteral("\r"), 10, 11},  // CR LF is two characters
        {Before, QAccessible::CharBoundary, 12, QStringLiteral("\n"), 11, 12},
        {Before, QAccessible::CharBoundary, 0, QString(), -1, -1},
        {After, QAccessible::CharBoundary, 17, QString(), -1, -1},
        {At, QAccessible::NoBoundary, 5, e.WholeText(), 0, 18},
    };
    for (const Case& c : cases) {
        int start = -2, end = -2;
        const QString got = c.where == At       ? text->textAtOffset(c.offset, c.type, &start, &end)
                            : c.where == Before ? text->textBeforeOffset(c.offset, c.type, &start, &end)
                                                : text->textAfterOffset(c.offset, c.type, &start, &end);
        EXPECT_EQ(got, c.expected) << "where " << c.where << " type " << c.type << " offset " << c.offset;
        EXPECT_EQ(start, c.start) << "where " << c.where << " type " << c.type << " offset " << c.offset;
        EXPECT_EQ(end, c.end) << "where " << c.where << " type " << c.type << " offset " << c.offset;
    }
}

TEST(EditorAccessibilityTest, TheComponentsCountForItsEventsIsAnsweredTheCheapWay) {
    // The component asks for the character offset of every insertion and
    // deletion by a count from the start of the text.  That count must reach
    // the answer from the line index: were it the component's own walk, each
    // key would cost a pass over the text before the caret.
    QStringList lines;
    for (int i = 0; i < 5000; ++i) lines << QStringLiteral("' 줄 %1 MOVE G6A, 100").arg(i);
    for (const bool accessible : {false, true}) {
        SCOPED_TRACE(accessible ? "accessibility on" : "accessibility off");
        std::unique_ptr<AccessibilityOn> on;
        if (accessible) on = std::make_unique<AccessibilityOn>();
        EventRecorder events;
        CodeEditor e;
        e.SetWholeText(lines.join(QStringLiteral("\r\n")));
        e.show();
        e.setFocus();
        e.PutCaret(2500, 3);
        const long before = platform::detail::CountsAnsweredFromIndex();
        TypeText(e, QStringLiteral("AB"));
        QTest::keyClick(&e, Qt::Key_Backspace);
        EXPECT_GE(platform::detail::CountsAnsweredFromIndex() - before, 3);
        if (accessible) {
            // And the offsets it reports are right.
            const std::vector<Event> typed = events.Take();
            const Event* inserted = Last(typed, QAccessible::TextInserted);
            ASSERT_NE(inserted, nullptr);
            const long expected = lines.mid(0, 2500).join(QStringLiteral("\r\n")).size() + 2 + 3 + 1;
            EXPECT_EQ(inserted->position, expected);
            EXPECT_EQ(Last(typed, QAccessible::TextRemoved)->position, expected);
            EXPECT_EQ(Last(typed, QAccessible::TextCaretMoved)->position, expected);
        }
    }
}

}  // namespace
