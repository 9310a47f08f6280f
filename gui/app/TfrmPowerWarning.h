#pragma once
#include <QWidget>

class QCheckBox;
class QPushButton;
class TfrmMain;

class TfrmPowerWarning : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPowerWarning(TfrmMain& main);

    QCheckBox* chbShow = nullptr;
    QPushButton* btnClose = nullptr;

private:
    TfrmMain& m_main;
};
