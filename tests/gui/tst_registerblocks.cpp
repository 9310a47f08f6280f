#include "core/common/Errors.h"
#include "core/sim/RegisterChip.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"
#include "gui/common/HexField.h"
#include "gui/common/HexSpinBox.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "tests/support/TestBench.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalSpy>

using tp::sim::RegisterChip;

namespace {

// A register window made only of the building blocks: an input register
// with read-only boxes, an output register with LEDs (lit = 0, "Low"), a
// polarity register with check boxes, and a 4-bit configuration register.
class Probe : public TChildForm {
public:
    explicit Probe(TfrmMain& main) : TChildForm(main, QStringLiteral("TfrmProbe")), link(*this, "Register256")
    {
        setStartAddress(0, 0x20);
        auto* top = new QHBoxLayout(this);
        edtInput = new HexField("edtInput", "FF", this);
        edtInput->setDisplayOnly(true);
        edtOutput = new HexField("edtOutput", "FF", this);
        edtPolarity = new HexField("edtPolarity", "00", this);
        edtConfig = new HexField("edtConfig", "F5", this);
        pnlInput = new QWidget(this);
        pnlInput->setEnabled(false);
        pnlOutput = new QWidget(this);
        pnlPolarity = new QWidget(this);
        pnlConfig = new QWidget(this);
        pnlAll = new QWidget(this);
        for (QWidget* w : {static_cast<QWidget*>(edtInput), pnlInput, static_cast<QWidget*>(edtOutput), pnlOutput,
                           static_cast<QWidget*>(edtPolarity), pnlPolarity, static_cast<QWidget*>(edtConfig),
                           pnlConfig, pnlAll})
            top->addWidget(w);
        const QStringList digits{"7", "6", "5", "4", "3", "2", "1", "0"};
        auto names = [&](const QString& p) {
            QStringList out;
            for (const QString& d : digits)
                out << p + d;
            return out;
        };
        input = new BitBoxRow(pnlInput, BitBoxRow::boxes(names("chbReg0"), {"High", "Low"}));
        input->bind(edtInput);
        output = new BitBoxRow(pnlOutput, BitBoxRow::boxes(names("chbReg1"), {"High", "Low"}),
                               {BitBoxRow::Look::Led, tp::OneIs::Unchecked, false});
        output->bind(edtOutput);
        polarity = new BitBoxRow(pnlPolarity, BitBoxRow::boxes(names("chbReg2"), {"Inverted", "Not Inverted"}));
        polarity->bind(edtPolarity);
        polarity->setBusyWhileUpdating({pnlPolarity});
        config = new BitBoxRow(pnlConfig, BitBoxRow::boxes(names("chbReg3").mid(4), {"Input", "Output"},
                                                           tp::masksHighToLow(4)));
        config->bind(edtConfig);
        chbAuto = new QCheckBox(this);
        chbAuto->setObjectName("chbAuto");
        top->addWidget(chbAuto);
        autoWrite = new AutoWriteToggle(chbAuto);
        link.setAutoWrite(autoWrite);
        for (const auto& r : {reg(1), reg(2), reg(3)})
            link.writeOnChange(r);
    }
    ChipLink::Register reg(int n) const
    {
        HexField* fields[] = {edtInput, edtOutput, edtPolarity, edtConfig};
        return {n, fields[n]};
    }

    ChipLink link;
    HexField *edtInput, *edtOutput, *edtPolarity, *edtConfig;
    QWidget *pnlInput, *pnlOutput, *pnlPolarity, *pnlConfig, *pnlAll;
    BitBoxRow *input, *output, *polarity, *config;
    QCheckBox* chbAuto;
    AutoWriteToggle* autoWrite;
};

struct Rig {
    TestBench bench{false};
    RegisterChip* chip;
    Probe* w;

    explicit Rig(std::size_t registers = 4)
    {
        chip = static_cast<RegisterChip*>(
            &bench.sim->place(0x20, std::make_unique<RegisterChip>("Register256", registers)));
        w = new Probe(*bench.main);
        w->show();
    }
    ~Rig() { delete w; }
};

} // namespace

Q_DECLARE_METATYPE(tp::AutoWriteCaption)

class TestRegisterBlocks : public QObject {
    Q_OBJECT
private slots:
    void hexFieldActsOnlyOnTwoCharacters();
    void hexFieldExitIsAChangeOnlyWhenTheTextChanges();
    void hexFieldBadTextFailsAsInvalidNumber();
    void ledRowLitMeansLow();
    void boxesWithoutBitsKeepTheUpperBits();
    void busyContainerWhileTheFieldUpdates();
    void settingBoxesRunsNoClickHandling();
    void hexSpinBoxStepsWithArrowsOnly();
    void autoWriteCaptions_data();
    void autoWriteCaptions();
    void suspensionRestoresAlsoOnError();
    void radioGroupReportsOnlyUserClicks();
    void radioGroupWrapsWhenNarrow_data();
    void radioGroupWrapsWhenNarrow();
    void readOneNeverWritesBack();
    void readOneShowsInputsAndFailureChangesNothing();
    void readAllReadsOnlyAndStopsAtFirstFailure();
    void writeAll_data();
    void writeAll();
    void linkExpectsItsChipBeforeEveryTransfer();
};

void TestRegisterBlocks::hexFieldActsOnlyOnTwoCharacters()
{
    Rig r;
    QSignalSpy completed(r.w->edtPolarity, &HexField::completed);
    r.w->edtPolarity->clear();
    QTest::keyClicks(r.w->edtPolarity, "a");
    QCOMPARE(r.w->edtPolarity->text(), QStringLiteral("A"));
    QCOMPARE(completed.count(), 0);
    QTest::keyClicks(r.w->edtPolarity, "c");
    QCOMPARE(completed.count(), 1);
    QCOMPARE(completed.at(0).at(0).value<quint8>(), quint8(0xAC));
    QCOMPARE(r.w->polarity->shownValue(), 0xAC);
    QCOMPARE(r.w->edtPolarity->maxLength(), 2);
    r.w->edtPolarity->setValue(0xAC); // same text: no change
    QCOMPARE(completed.count(), 1);
    r.w->edtPolarity->setValue(0x0A);
    QCOMPARE(r.w->edtPolarity->text(), QStringLiteral("0A"));
    QCOMPARE(completed.count(), 2);
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write is off
}

void TestRegisterBlocks::hexFieldExitIsAChangeOnlyWhenTheTextChanges()
{
    Rig r;
    r.w->autoWrite->setOn(true);
    QSignalSpy completed(r.w->edtOutput, &HexField::completed);
    r.w->edtOutput->setText("7");
    r.w->edtOutput->applyExit(tp::HexExit::LeadingZero);
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("07"));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(r.bench.transfers(), QStringList{"W 20 01 07"});
    r.w->edtOutput->applyExit(tp::HexExit::Reformat);
    QCOMPARE(completed.count(), 1);
    r.w->edtOutput->clear();
    r.w->edtOutput->applyExit(tp::HexExit::LeadingZero);
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("00"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 20 01 07", "W 20 01 00"}));
}

void TestRegisterBlocks::hexFieldBadTextFailsAsInvalidNumber()
{
    Rig r;
    r.w->autoWrite->setOn(true);
    r.w->edtPolarity->clear();
    QVERIFY_THROWS_EXCEPTION(tp::InvalidNumber, r.w->edtPolarity->applyExit(tp::HexExit::Reformat));
    // Pasted text that is no number fails once it has two characters: the
    // error box says so where the edit entered the program; nothing is written.
    r.w->edtPolarity->insert("zq");
    QCOMPARE(r.w->edtPolarity->text(), QStringLiteral("ZQ"));
    QCOMPARE(r.bench.dialogs.of("error").size(), 1);
    QCOMPARE(r.bench.dialogs.of("error").first().text, QStringLiteral("'$ZQ' is not a valid integer value."));
    QCOMPARE(TallyportApplication::lastResortCatches(), 0);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestRegisterBlocks::ledRowLitMeansLow()
{
    Rig r;
    r.w->autoWrite->setOn(true);
    auto* led = child<LedToggle>(r.w, "chbReg13");
    QVERIFY(!led->isChecked());
    QCOMPARE(led->text(), QStringLiteral("High"));
    QSignalSpy clicked(r.w->output, &BitBoxRow::bitClicked);
    QTest::mouseClick(led, Qt::LeftButton);
    QVERIFY(led->isChecked());
    QCOMPARE(led->text(), QStringLiteral("Low"));
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("F7"));
    QCOMPARE(r.bench.transfers(), QStringList{"W 20 01 F7"});
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<quint8>(), quint8(8));
    QCOMPARE(clicked.at(0).at(1).toBool(), false);
    QCOMPARE(child<LedToggle>(r.w, "chbReg12")->text(), QStringLiteral("High"));
}

void TestRegisterBlocks::boxesWithoutBitsKeepTheUpperBits()
{
    Rig r;
    QCOMPARE(r.w->config->count(), 4);
    QCOMPARE(child<QCheckBox>(r.w, "chbReg32")->text(), QStringLiteral("Input"));
    QCOMPARE(child<QCheckBox>(r.w, "chbReg31")->text(), QStringLiteral("Output"));
    QTest::mouseClick(child<QCheckBox>(r.w, "chbReg31"), Qt::LeftButton);
    QCOMPARE(r.w->edtConfig->text(), QStringLiteral("F7"));
    QCOMPARE(child<QCheckBox>(r.w, "chbReg31")->text(), QStringLiteral("Input"));
}

void TestRegisterBlocks::busyContainerWhileTheFieldUpdates()
{
    Rig r;
    bool disabledMeanwhile = false;
    connect(r.w->edtPolarity, &HexField::completed, r.w, [&] { disabledMeanwhile = !r.w->pnlPolarity->isEnabled(); });
    QTest::mouseClick(child<QCheckBox>(r.w, "chbReg27"), Qt::LeftButton);
    QCOMPARE(r.w->edtPolarity->text(), QStringLiteral("80"));
    QCOMPARE(child<QCheckBox>(r.w, "chbReg27")->text(), QStringLiteral("Inverted"));
    QVERIFY(disabledMeanwhile);
    QVERIFY(r.w->pnlPolarity->isEnabled());

    // An empty field cannot take the click; the container is usable again.
    r.w->edtPolarity->clear();
    child<QCheckBox>(r.w, "chbReg20")->click();
    QCOMPARE(r.bench.dialogs.of("error").size(), 1);
    QCOMPARE(r.bench.dialogs.of("error").first().text, QStringLiteral("'$' is not a valid integer value."));
    QCOMPARE(TallyportApplication::lastResortCatches(), 0);
    QVERIFY(r.w->pnlPolarity->isEnabled());
}

void TestRegisterBlocks::settingBoxesRunsNoClickHandling()
{
    Rig r;
    r.w->autoWrite->setOn(true);
    QSignalSpy clicked(r.w->output, &BitBoxRow::bitClicked);
    r.w->output->setValue(0x0F);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("FF")); // the field is not the row's to change here
    QVERIFY(child<LedToggle>(r.w, "chbReg17")->isChecked()); // 0: lit
    QCOMPARE(child<LedToggle>(r.w, "chbReg17")->text(), QStringLiteral("Low"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestRegisterBlocks::autoWriteCaptions_data()
{
    QTest::addColumn<tp::AutoWriteCaption>("style");
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("on");
    QTest::addColumn<QColor>("offColour");
    QTest::addColumn<QColor>("onColour");
    QTest::newRow("on/off") << tp::AutoWriteCaption::OnOff << "Auto Write Off" << "Auto Write On" << QColor() << QColor();
    QTest::newRow("fixed") << tp::AutoWriteCaption::Fixed << "Auto Write" << "Auto Write" << QColor() << QColor();
    QTest::newRow("green/red") << tp::AutoWriteCaption::GreenRed << "Off" << "On" << QColor(255, 0, 0)
                               << QColor(0, 0xA0, 0);
}

void TestRegisterBlocks::autoWriteCaptions()
{
    QFETCH(tp::AutoWriteCaption, style);
    QFETCH(QString, off);
    QFETCH(QString, on);
    QFETCH(QColor, offColour);
    QFETCH(QColor, onColour);
    for (bool led : {false, true}) {
        QWidget parent;
        QAbstractButton* b = led ? static_cast<QAbstractButton*>(new LedToggle("chbAutoWrite", "", &parent))
                                 : new QCheckBox(&parent);
        b->setChecked(true);
        AutoWriteToggle t(b, style);
        QVERIFY(!t.isOn()); // off when made
        QCOMPARE(b->text(), off);
        if (offColour.isValid())
            QCOMPARE(b->palette().color(QPalette::WindowText), offColour);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
        QVERIFY(t.isOn());
        QCOMPARE(b->text(), on);
        if (onColour.isValid())
            QCOMPARE(b->palette().color(QPalette::WindowText), onColour);
    }
}

void TestRegisterBlocks::suspensionRestoresAlsoOnError()
{
    Rig r;
    r.w->autoWrite->setOn(true);
    try {
        const AutoWriteToggle::Suspension s(r.w->autoWrite);
        QVERIFY(!r.w->autoWrite->isOn());
        QCOMPARE(r.w->chbAuto->text(), QStringLiteral("Auto Write Off"));
        throw tp::InvalidNumber("$");
    } catch (const tp::Error&) {
    }
    QVERIFY(r.w->autoWrite->isOn());
    QCOMPARE(r.w->chbAuto->text(), QStringLiteral("Auto Write On"));
}

void TestRegisterBlocks::radioGroupReportsOnlyUserClicks()
{
    QWidget parent;
    RadioGroup g("rdgTest", "I\u00B2C Address", {"40h", "42h", "44h"}, 2, &parent);
    parent.show();
    QSignalSpy clicked(&g, &RadioGroup::itemClicked);
    g.setItemIndex(2);
    QCOMPARE(g.itemIndex(), 2);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(g.item(1)->objectName(), QStringLiteral("rdgTest_1"));
    QTest::mouseClick(g.item(1), Qt::LeftButton, {}, QPoint(6, g.item(1)->height() / 2));
    QCOMPARE(g.itemIndex(), 1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), 1);
}

void TestRegisterBlocks::radioGroupWrapsWhenNarrow_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<int>("rows"); // of the 8 items
    QTest::newRow("8 columns, room for them") << 8 << true << 1;
    QTest::newRow("8 columns, narrow: 4") << 8 << false << 2;
    QTest::newRow("4 columns, narrow: 2") << 4 << false << 4;
}

void TestRegisterBlocks::radioGroupWrapsWhenNarrow()
{
    QFETCH(int, columns);
    QFETCH(bool, wide);
    QFETCH(int, rows);
    QWidget parent;
    auto* layout = new QHBoxLayout(&parent);
    auto* g = new RadioGroup("rdgTest", "I\u00B2C Address", {"0x40", "0x42", "0x44", "0x46", "0x48", "0x4A", "0x4C", "0x4E"},
                             columns, &parent);
    layout->addWidget(g);
    parent.resize(wide ? g->sizeHint().width() + 40 : g->minimumSizeHint().width() + 20, 300);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCoreApplication::processEvents();
    // Row by row in item order, every item whole and inside the group.
    QList<int> tops;
    for (int i = 0; i < g->count(); ++i) {
        const QRect r = g->item(i)->geometry();
        if (tops.isEmpty() || r.top() > tops.last())
            tops << r.top();
        QCOMPARE(r.top(), tops.last());
        QVERIFY(r.width() >= g->item(i)->sizeHint().width());
        QVERIFY(g->rect().contains(r));
        if (i > 0 && r.top() == g->item(i - 1)->geometry().top())
            QVERIFY(r.left() > g->item(i - 1)->geometry().right());
    }
    QCOMPARE(tops.size(), rows);
    QVERIFY(g->height() >= g->heightForWidth(g->width()));
}

void TestRegisterBlocks::readOneNeverWritesBack()
{
    Rig r;
    r.chip->setReg(1, 0x3C);
    r.w->autoWrite->setOn(true);
    QCOMPARE(r.w->link.readOne(r.w->reg(1)), tp::status::Success);
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("3C"));
    QCOMPARE(r.w->output->shownValue(), 0x3C);
    QCOMPARE(r.bench.transfers(), (QStringList{"W 20 01", "Sr R 20 3C"}));
    QVERIFY(r.w->autoWrite->isOn());
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.w->context().data[0]), 0x3C);
}

void TestRegisterBlocks::readOneShowsInputsAndFailureChangesNothing()
{
    Rig r;
    r.chip->setReg(0, 0x81);
    QCOMPARE(r.w->link.readOne(r.w->reg(0)), tp::status::Success);
    QCOMPARE(r.w->edtInput->text(), QStringLiteral("81"));
    QCOMPARE(r.w->input->shownValue(), 0x81);
    QCOMPARE(child<QCheckBox>(r.w, "chbReg01")->text(), QStringLiteral("Low"));

    r.chip->setReg(0, 0x00);
    tp::sim::Fault nack;
    r.bench.sim->inject(nack);
    QCOMPARE(r.w->link.readOne(r.w->reg(0)), tp::status::AddressNack);
    QCOMPARE(r.w->edtInput->text(), QStringLiteral("81"));
    QCOMPARE(r.w->input->shownValue(), 0x81);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(int(r.w->context().status), 1);
}

void TestRegisterBlocks::readAllReadsOnlyAndStopsAtFirstFailure()
{
    Rig r(3); // register 3 does not exist: its pointer is not acknowledged
    r.chip->setReg(0, 0x11);
    r.chip->setReg(1, 0x22);
    r.chip->setReg(2, 0x33);
    r.w->autoWrite->setOn(true);
    bool busy = false, autoWriteOff = false;
    connect(r.w->edtPolarity, &HexField::completed, r.w, [&] {
        busy = !r.w->pnlAll->isEnabled();
        autoWriteOff = !r.w->autoWrite->isOn();
    });
    const tp::Status st = r.w->link.readAll({r.w->reg(0), r.w->reg(1), r.w->reg(2), r.w->reg(3)}, r.w->pnlAll);
    QCOMPARE(st, tp::status::DataNack);
    QCOMPARE(r.w->edtInput->text(), QStringLiteral("11"));
    QCOMPARE(r.w->edtOutput->text(), QStringLiteral("22"));
    QCOMPARE(r.w->edtPolarity->text(), QStringLiteral("33"));
    QCOMPARE(r.w->edtConfig->text(), QStringLiteral("F5")); // after the failure: untouched
    QVERIFY(busy && autoWriteOff);
    QVERIFY(r.w->pnlAll->isEnabled());
    QVERIFY(r.w->autoWrite->isOn());
    for (const QString& t : r.bench.transfers())
        QVERIFY2(!t.startsWith("W") || t.split(' ').size() <= 3, qPrintable(t)); // pointers only, no data
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));

    // A failing first read reads nothing further.
    r.bench.clearLog();
    tp::sim::Fault nack;
    r.bench.sim->inject(nack);
    QCOMPARE(r.w->link.readAll({r.w->reg(0), r.w->reg(1)}), tp::status::AddressNack);
    QCOMPARE(r.bench.transfers().size(), 1);
}

void TestRegisterBlocks::writeAll_data()
{
    QTest::addColumn<bool>("stopAtFailure");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("status");
    QTest::newRow("stops at the first failure") << true << QStringList{"W 20 01 FF", "W 20"}
                                                << "  Data not acknowledged";
    QTest::newRow("writes on after a failure") << false << QStringList{"W 20 01 FF", "W 20", "W 20 03 F5"}
                                               << "Transmission successful";
}

void TestRegisterBlocks::writeAll()
{
    QFETCH(bool, stopAtFailure);
    QFETCH(QStringList, writes);
    QFETCH(QString, status);
    Rig r;
    // Register 2's data byte is not acknowledged: the fault is armed once register 1 is written.
    tp::sim::Fault nack;
    nack.kind = tp::sim::Fault::Kind::DataNack;
    nack.byteIndex = 0;
    r.bench.sim->log().onEntry = [&](const tp::BusLogEntry& e) {
        if (!e.isNote() && e.bytes.size() == 2 && e.bytes[0] == 1)
            r.bench.sim->inject(nack);
    };
    const QList<ChipLink::Register> regs{r.w->reg(1), r.w->reg(2), r.w->reg(3)};
    r.w->link.writeAll(regs, stopAtFailure);
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), writes);
    QCOMPARE(r.bench.statusText(), status);
}

void TestRegisterBlocks::linkExpectsItsChipBeforeEveryTransfer()
{
    TestBench bench; // the program's chip types, no chip placed
    auto* w = new Probe(*bench.main);
    std::vector<std::uint8_t> out;
    QCOMPARE(w->link.readRegister(5, 1, out), tp::status::Success);
    QCOMPARE(QString::fromStdString(bench.sim->log().entries().front().note),
             QStringLiteral("bench: placed a simulated Register256 at 0x20"));
    w->link.setAddress(0x22);
    QCOMPARE(w->link.write({0x00, 0x01}), tp::status::Success);
    QVERIFY(bench.sim->chipAt(0x22));
    QCOMPARE(int(bench.state->context("TfrmProbe").address[0]), 0x22);
    delete w;
}

TALLYPORT_TEST_MAIN(TestRegisterBlocks)
void TestRegisterBlocks::hexSpinBoxStepsWithArrowsOnly()
{
    QWidget w;
    auto* spn = new HexSpinBox("spnCTL", 0x00, 0xFC, 4, &w);
    w.show();
    QSignalSpy changed(spn, &QSpinBox::valueChanged);
    QCOMPARE(spn->text(), QStringLiteral("0x00"));
    spn->setFocus();
    QTest::keyClicks(spn, "7f");
    QCOMPARE(spn->value(), 0);
    QTest::keyClick(spn, Qt::Key_Up);
    QTest::keyClick(spn, Qt::Key_Up);
    QCOMPARE(spn->text(), QStringLiteral("0x08"));
    QCOMPARE(changed.count(), 2);
    spn->setValueQuietly(0xFC);
    QCOMPARE(spn->text(), QStringLiteral("0xFC"));
    QCOMPARE(changed.count(), 2);
    QTest::keyClick(spn, Qt::Key_Up); // at the top it stays
    QCOMPARE(spn->value(), 0xFC);
}

#include "tst_registerblocks.moc"
