// frmAbout: the about box.  A header with the program's name, three lines
// about the program, the version of this build ("Ver. 2.0.0") and a link
// label that opens the program's web page through the desktop.  Shown
// modally from the Help menu; OK closes it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QWidget;

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner = nullptr);

    // Creates the window over `owner`, shows it modally and deletes it when
    // it closes.
    static void ShowModal(QWidget* owner);

    // "Ver. " and the build's major, minor and revision numbers, each in
    // decimal without leading zeros.
    static QString VersionLine();

    QWidget* picTop = nullptr;    // the band behind the header
    QLabel* lblHeader = nullptr;  // program name and subtitle
    QLabel* lblInfo = nullptr;    // information lines and the version line
    QLabel* Label2 = nullptr;     // the link
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    void cmdOK_Click();
    // Opens the link label's text with the desktop's handler.
    void Label2_Click();
    // The link turns red while the left button is held on it, blue again on
    // release.
    void Label2_MouseDown(int Button);
    void Label2_MouseUp(int Button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetLinkColour(const QColor& colour);
    bool pressed_ = false;
};
