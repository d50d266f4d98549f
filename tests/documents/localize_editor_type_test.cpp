// The code editor is recognised by its own class, whatever control it is
// built on, and a subclass of it still counts as the editor.
#include <QFrame>
#include <QWidget>

#include <gtest/gtest.h>

#include "documents/LocalizeForm.h"
#include "platform/CodeEditor.h"

namespace {

class DerivedEditor : public platform::CodeEditor {
public:
    using platform::CodeEditor::CodeEditor;
};

TEST(LocalizeEditorType, CodeEditorAndItsSubclassesAreCodeSenseOtherScrollAreasAreNot) {
    QWidget form;
    EXPECT_EQ(ControlTypeName(new platform::CodeEditor(&form)), "CodeSense");
    EXPECT_EQ(ControlTypeName(new DerivedEditor(&form)), "CodeSense");
    // A hidden buffer window is a container, not an editor; its editor is one.
    platform::HiddenEditorWindow hidden;
    EXPECT_EQ(ControlTypeName(&hidden), "");
    EXPECT_EQ(ControlTypeName(hidden.source), "CodeSense");
}

}  // namespace
