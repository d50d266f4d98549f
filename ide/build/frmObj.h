// The object-code views: two read-only windows over the object code of the
// last successful compile, each switching between hexadecimal and decimal.
//
// frm_Obj lists the whole image, eight bytes a line behind their address.
// frm_Obj_Line shows a grid with one row per source line: its number, its
// text, the code address of its first byte and the bytes generated for it.
//
// Both copy the compiler's results once, when they load, and never write
// anything back; after a failed compile, or with a header-only image, they
// stay empty.  Every read of the copies is bounds-checked.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace platform {
class CodeEditor;
}

class frm_Obj : public QDialog {
    Q_OBJECT

public:
    explicit frm_Obj(QWidget* owner = nullptr);
    ~frm_Obj() override;

    // Creates the window, loads it, shows it modally and unloads it.
    static void ShowModal(QWidget* owner);
    // The loaded window, or nullptr.
    static frm_Obj* Loaded();

    platform::CodeEditor* txt_obj = nullptr;  // the listing, fixed pitch
    QLabel* Label1 = nullptr;                 // the column header over the bytes
    QLabel* lblProcess = nullptr;             // progress of the listing
    QPushButton* cmd_10 = nullptr;            // "DEC"
    QPushButton* cmd_16 = nullptr;            // "HEX"
    QPushButton* cmd_Close = nullptr;
    QTimer* Init_Timer = nullptr;

    void Form_Load();
    void Init_Timer_Timer();
    void cmd_10_Click();
    void cmd_16_Click();
    void cmd_Close_Click();
    // Builds the listing in the current mode and puts it into txt_obj.
    void BuildListing();

    // One line of the listing as BuildListing writes it: a blank, the
    // address of the first byte (four digits, zero-padded, its last four
    // when longer), a blank, then each byte in four characters.
    static QString ListingLine(int32_t address, const uint8_t* bytes, int count, bool hex);

protected:
    // Closing abandons a listing still being built.
    void done(int result) override;

private:
    std::vector<uint8_t> code_;  // indexes 0..TotalBytes, as the compiler's ObjCode
    bool hex_ = true;
    int generation_ = 0;  // a build that finds it changed after a yield was overtaken
};

class frm_Obj_Line : public QDialog {
    Q_OBJECT

public:
    explicit frm_Obj_Line(QWidget* owner = nullptr);
    ~frm_Obj_Line() override;

    static void ShowModal(QWidget* owner);
    static frm_Obj_Line* Loaded();

    QTableWidget* List = nullptr;  // row 0 holds the column headers
    QPushButton* cmd_10 = nullptr;
    QPushButton* cmd_16 = nullptr;
    QPushButton* cmd_Close = nullptr;

    void Form_Load();
    void Form_Resize();
    void cmd_10_Click();
    void cmd_16_Click();
    void cmd_Close_Click();
    void SetupGrid();
    void FillRows();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Closing abandons a fill still running.
    void done(int result) override;

private:
    // Fills the START and CODE cells in hexadecimal or decimal.
    void FillCodes(bool hex);
    QString CellText(int row, int column) const;
    void SetCell(int row, int column, const QString& text);

    std::vector<uint8_t> code_;
    std::vector<int32_t> linePos_;
    std::vector<int32_t> lineStart_;
    std::vector<int32_t> lineLength_;
    std::u16string source_;
    int32_t totalBytes_ = 0;
    int32_t totalLines_ = 0;
    bool loaded_ = false;
    int generation_ = 0;
};
