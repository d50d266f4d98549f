// frmNote: a free text pad that stays above all windows.  Its text lives as
// long as the window; its position and size are kept in the settings file
// (section "frmNote_Window", keys "left", "top", "width", "height", twips)
// and restored the next time it opens.
#pragma once

#include <QWidget>

class QPlainTextEdit;

class frmNote : public QWidget {
    Q_OBJECT

public:
    // A top-level window without owner; loads at once (Form_Load).
    frmNote();
    ~frmNote() override;

    // The open note window, or nullptr.
    static frmNote* Loaded();
    // Shows the note window, creating it when none is open, and brings it
    // to the front.
    static void ShowNote();

    QPlainTextEdit* txt_Note = nullptr;

    void Form_Load();
    void Form_Resize();
    // Writes the window's place and size to the settings file.
    void Form_Unload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString iniPath_;
    // The values read at load, kept for a window that did not move.
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool unloaded_ = false;
};
