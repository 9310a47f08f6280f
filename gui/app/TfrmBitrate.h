#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TfrmMain;

// The bus frequency window: the frequency and its two SCL counts, each
// control reacting only to what the user does to it while it has the focus.
// A typed frequency applies when committed (Enter, leaving the field, OK);
// then the field shows the frequency in force, whatever was typed.
class TfrmBitrate : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBitrate(TfrmMain& main);

    // On a real adapter the kernel driver fixes the bus frequency: the
    // controls are off and a line says what the kernel tells.
    void showAdapterLimits();

    QLineEdit* edtFrequency = nullptr;
    QSpinBox* spnSCLh = nullptr;
    QSpinBox* spnSCLl = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblKernel = nullptr;
    QPushButton* btnOK = nullptr;

private slots:
    void edtFrequencyChange();
    void edtFrequencyEdited();
    void spnSCLChange();
    void btnOKClick();

private:
    void showFrequencyInForce();

    TfrmMain& m_main;
};
