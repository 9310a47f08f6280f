#pragma once
#include <QDialog>

class QLabel;
class TfrmMain;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(TfrmMain& main);

    QLabel* lblVersion = nullptr;
    QLabel* lblFirmware = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TfrmMain& m_main;
};

// The program's version compiled in, or empty when there is none.
QString programVersion();
