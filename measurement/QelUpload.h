#pragma once
#include <QDialog>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class TFileManager;
class TPanelButton;
struct TMemoryData;
struct TTestInfo;
class TQelGlobal;
class TQelImage;

// "Upload Measurement / Setup": the tests read from the instrument's memory, one row each, the
// text report of the selected one, and its deletion in the instrument or its conversion into a
// new test document.
class TQelUpload : public QDialog {
    Q_OBJECT
public:
    TQelUpload(TQelGlobal& global, TFileManager* fileManager, QWidget* parent = nullptr);
    ~TQelUpload() override;

    // The rows again from the data module's directory entries.
    void FillList();
    void SetImages(const TQelImage& images);

    QListWidget* lbMemory = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    TPanelButton* bnOk = nullptr;
    TPanelButton* bnDelete = nullptr;
    TPanelButton* bnCancel = nullptr;

    void lbMemoryClick();
    void bnDeleteClick();
    void bnOkClick();
    void bnCancelClick();

protected:
    bool event(QEvent* e) override;

private:
    int SelectedSlot() const;
    // The entry and the record (null: not read) of a slot.
    const TTestInfo* Entry(int slot) const;
    const TMemoryData* Record(int slot) const;

    TQelGlobal& FGlobal;
    TFileManager* FFileManager;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};
