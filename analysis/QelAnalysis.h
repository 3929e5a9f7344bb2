#pragma once
#include <QDialog>

class TQelAnalysisFrame;
class TQelGlobal;
class TQelImage;
class TStateButton;

// The multi-file analysis ("Analysis"): the measurement tables of every test on a list file
// merged into one table, columns matched by title, each row with the file it came from, shown on
// an analysis page in multi-file mode with the views of the current test. Nothing is written
// back to the listed tests. Made for one "Show Analysis" and freed after it.
class TAnalysis : public QDialog {
    Q_OBJECT
public:
    explicit TAnalysis(TQelGlobal& global, QWidget* parent = nullptr);
    ~TAnalysis() override;
    void SetImages(const TQelImage& images);

    TQelAnalysisFrame* QelAnalysisFrame1;
    TStateButton* StateButton7;

    // Merges the tests of the list and shows them. Files that are missing or do not load are
    // named to the operator; a missing list leaves the table empty.
    void LoadList(const QString& listFile);
    QString ListFile() const { return FListFile; }

private:
    TQelGlobal& FGlobal;
    QString FListFile;
};
