#pragma once
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class TfrmMain;

// The quick-start window: borderless, centred over the frame, gone as soon
// as it is closed or the user clicks elsewhere.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(TfrmMain& main);
    void showCentred();

    QCheckBox* chbShow = nullptr;

private slots:
    void chbShowClick();

private:
    TfrmMain& m_main;
    QPlainTextEdit* m_text = nullptr;
};
