#pragma once
#include <QDialog>

class QLabel;
class TPanelButton;
class TQelGlobal;
class TQelImage;

// The About box: software and instrument identification and the state of the link. At
// start-up it doubles as the first choice of the operator (quick measurement or file manager).
class TQelAbout : public QDialog {
    Q_OBJECT
public:
    enum TForm { afAbout, afStartup };
    // exec() result of bnFileManager: the caller opens the file manager.
    static constexpr int FileManagerResult = 2;

    explicit TQelAbout(TQelGlobal& global, QWidget* parent = nullptr);

    TForm Form() const { return FForm; }
    // Shows the buttons of the form (start-up: "Quick Measurement" and "File Manager"; About:
    // Help) and refreshes.
    void SetForm(TForm form);
    // Reads the version, the file date and the instrument's identification again.
    void Refresh();
    void SetImages(const TQelImage& images);

    QLabel* lbSWVersion;
    QLabel* lbFileDate;
    QLabel* lbFirmware;
    QLabel* lbSerialNo;
    QLabel* lbCalibrationDate;
    QLabel* lbStatusInfo;
    QLabel* lbFirmwareInformation;
    QLabel* Label6;
    TPanelButton* bnOK;
    TPanelButton* bnQuickStart;
    TPanelButton* bnFileManager;
    TPanelButton* bnHelp;

Q_SIGNALS:
    // bnHelp: the owner opens the operating instructions.
    void HelpRequested();

private:
    void SetStatusLine(const QString& text, const QColor& colour);

    TQelGlobal& FGlobal;
    TForm FForm = afAbout;
};
