#include "gui/app/Catalogue.h"

QString CatalogueEntry::actionName() const
{
    QString n = handler;
    if (n.endsWith(QLatin1String("Click")))
        n.chop(5);
    return n;
}

namespace {

CatalogueEntry memory(const char* submenu, const char* caption, const char* handler, const char* cls,
                      int size, bool ram)
{
    CatalogueEntry e{submenu, caption, handler, cls, true, {}, {}, size, ram};
    return e;
}

CatalogueEntry chip(const char* submenu, const char* caption, const char* handler, const char* cls,
                    QList<QPair<QString, int>> selectors = {}, QList<std::uint8_t> addresses = {})
{
    CatalogueEntry e{submenu, caption, handler, cls, false, std::move(selectors), std::move(addresses), 0, false};
    return e;
}

Catalogue build()
{
    const char* EE = "EEPROM";
    const char* IO = "IO Expanders";
    const char* LED = "LED Blinkers and Dimmers";
    const char* MUX = "Multiplexers/Switches";
    const char* NV = "Non-volatile Registers";
    const char* RAM = "RAM / FRAM";
    const char* TH = "Thermal Management";
    const QList<QPair<QString, int>> mux954x{{"cmbPCA9544Address", 0}, {"cmbPCA9542Address", 0}};
    const QList<QPair<QString, int>> mux9543{{"cmbPCA9543Address", 1},
                                             {"cmbPCA9545Address", 0},
                                             {"cmbPCA9546Address", 0},
                                             {"cmbPCA9548Address", 0}};
    // The menu sets the addresses its list items show, so a window never
    // writes to an address other than the one on display.
    const QList<std::uint8_t> muxAddresses{0xE0, 0xE0, 0xE0};
    const QList<std::uint8_t> switchAddresses{0xE2, 0xE0, 0xE0, 0xE0};
    return {
        memory(EE, "16 x 8 (128 bit)", "mnu16BClick", "TfrmSmallEE", 16, false),
        memory(EE, "128 x 8 (1K bit)", "mnu1KClick", "TfrmSmallEE", 128, false),
        memory(EE, "256 x 8 (2K bit)", "mnu2KClick", "TfrmSmallEE", 256, false),
        memory(EE, "512 x 8 (4K bit)", "mnu4KClick", "TfrmSmallEE", 512, false),
        memory(EE, "1K x 8 (8K bit)", "mnu8KClick", "TfrmSmallEE", 1024, false),
        memory(EE, "2K x 8 (16K bit)", "mnu16KClick", "TfrmSmallEE", 2048, false),
        memory(EE, "4K x 8 (32K bit)", "mnu4Kx8Click", "TfrmEEPROM", 4096, false),
        memory(EE, "8K x 8 (64K bit)", "mnu8Kx8Click", "TfrmEEPROM", 8192, false),
        memory(EE, "16K x 8 (128K bit)", "mnu16Kx8Click", "TfrmEEPROM", 16384, false),
        memory(EE, "32K x 8 (256K bit)", "mnu32Kx8Click", "TfrmEEPROM", 32768, false),
        memory(EE, "64K x 8 (512K bit)", "mnu64Kx8Click", "TfrmEEPROM", 65536, false),
        chip(IO, "PCA9500  8-bit I/O Port with 2K EE", "mnuPCA9500Click", "TfrmPTN3500"),
        chip(IO, "PCA9501  8-bit I/O Port with 2K EE", "mnuPCA9500Click", "TfrmPTN3500"),
        chip(IO, "PCA9534  8-bit I/O Expander", "mnuPCA9554Click", "TfrmPCA9554", {{"cmbAddress", 0}}, {0x40}),
        chip(IO, "PCA9535  16-bit I/O Expander", "mnuPCA9555Click", "TfrmPCA9555", {{"cmbAddress", 0}}, {0x40}),
        chip(IO, "PCA9536 4-bit I/O Expander", "mnuPCA9536Click", "TfrmPCA9536", {{"edtAddress", 0}}, {0x82}),
        chip(IO, "PCA9537  4-bit I/O Expander", "mnuPCA9536Click", "TfrmPCA9536", {{"edtAddress", 1}}, {0x92}),
        chip(IO, "PCA9538  8-bit I/O Expander", "mnuPCA9554Click", "TfrmPCA9554", {{"cmbAddress", 16}}, {0xE0}),
        chip(IO, "PCA9539  16-bit I/O Expander", "mnuPCA9555Click", "TfrmPCA9555", {{"cmbAddress", 8}}, {0xE8}),
        chip(IO, "PCA9554  8-bit I/O Expander", "mnuPCA9554Click", "TfrmPCA9554", {{"cmbAddress", 0}}, {0x40}),
        chip(IO, "PCA9554A  8-bit I/O Expander", "mnuPCA9554Click", "TfrmPCA9554", {{"cmbAddress", 8}}, {0x70}),
        chip(IO, "PCA9555  16-bit I/O Expander", "mnuPCA9555Click", "TfrmPCA9555", {{"cmbAddress", 0}}, {0x40}),
        chip(IO, "PCA9556  8-bit I/O Expander", "mnuPCA9556Click", "TfrmPCA9556"),
        chip(IO, "PCA9557  8-bit I/O Expander", "mnuPCA9556Click", "TfrmPCA9556"),
        chip(IO, "PCF8574  8-bit I/O Expander", "mnuPCF8574Click", "TfrmPCF8574", {}, {0x40, 0x70}),
        chip(IO, "PCF8574A  8-bit I/O Expander", "mnuPCF8574Click", "TfrmPCF8574", {}, {0x40, 0x70}),
        chip(IO, "PCF8575    16-bit I/O Expander", "mnuPCF8575Click", "TfrmPCF8575"),
        chip(LED, "PCA9530 2-bit LED Dimmer", "mnuPCA9530Click", "TfrmPCA9530"),
        chip(LED, "PCA9531 8-bit LED Dimmer", "mnuPCA9531Click", "TfrmPCA9531"),
        chip(LED, "PCA9532 16-bit LED Dimmer", "mnuPCA9532Click", "TfrmPCA9532"),
        chip(LED, "PCA9533 4-bit LED Dimmer", "mnuPCA9533Click", "TfrmPCA9533"),
        chip(LED, "PCA9550 2-bit LED Blinker", "mnuPCA9550Click", "TfrmPCA9550"),
        chip(LED, "PCA9551 8-bit LED Blinker", "mnuPCA9551Click", "TfrmPCA9551"),
        chip(LED, "PCA9552 16-bit LED Blinker", "mnuPCA9552Click", "TfrmPCA9552"),
        chip(LED, "PCA9553 4-bit LED Blinker", "mnuPCA9553Click", "TfrmPCA9553"),
        chip(LED, "SAA1064 LED Driver", "mnuSAA1064Click", "TfrmSAA1064"),
        chip("Master Selector (2-to-1 demux)", "PCA9541", "mnuPCA9541Click", "TfrmPCA9541", {{"cmbAddress", 0}},
             {0xE0}),
        chip(MUX, "PCA9540B  2-Channel Multiplexer", "mnuPCA9544Click", "TfrmPCA954x", mux954x, muxAddresses),
        chip(MUX, "PCA9542A  2-Channel Multiplexer with Interrupt Logic", "mnuPCA9544Click", "TfrmPCA954x", mux954x, muxAddresses),
        chip(MUX, "PCA9543A  2-Channel Switch with Interrupt Logic", "mnuPCA9543Click", "TfrmPCA9543", mux9543, switchAddresses),
        chip(MUX, "PCA9544A  4-Channel Multiplexer with Interrupt Logic", "mnuPCA9544Click", "TfrmPCA954x", mux954x, muxAddresses),
        chip(MUX, "PCA9545A  4-Channel Switch with Interrupt Logic", "mnuPCA9543Click", "TfrmPCA9543", mux9543, switchAddresses),
        chip(MUX, "PCA9546A  4-Channel Switch", "mnuPCA9543Click", "TfrmPCA9543", mux9543, switchAddresses),
        chip(MUX, "PCA9548A 8-Channel Switch", "mnuPCA9543Click", "TfrmPCA9543", mux9543, switchAddresses),
        chip(NV, "PCA8550  4-bit Multiplexed/1-Bit Latched 5-Bit", "mnuPCA8550Click", "TfrmPCA8550"),
        chip(NV, "PCA9559  5-bit Multiplexed/1-Bit Latched 6-Bit", "mnuPCA8550Click", "TfrmPCA8550"),
        chip(NV, "PCA9560  Dual 5-bit Multiplexed 1-Bit Latched", "mnuPCA8550Click", "TfrmPCA8550"),
        chip(NV, "PCA9561  Quad 6-bit Multiplexed", "mnuPCA8550Click", "TfrmPCA8550"),
        memory(RAM, "16 x 8 (128 bit)", "mnuRAM_128_bitClick", "TfrmSmallRAM", 16, true),
        memory(RAM, "128 x 8 (1K bit)", "mnuRAM_1K_bitClick", "TfrmSmallRAM", 128, true),
        memory(RAM, "256 x 8 (2K bit)", "mnuRAM_2K_bitClick", "TfrmSmallRAM", 256, true),
        memory(RAM, "512 x 8 (4K bit)", "mnuRAM_4K_bitClick", "TfrmSmallRAM", 512, true),
        memory(RAM, "1K x 8 (8K bit)", "mnuRAM_8K_bitClick", "TfrmSmallRAM", 1024, true),
        memory(RAM, "2K x 8 (16K bit)", "mnuRAM_16K_bitClick", "TfrmSmallRAM", 2048, true),
        memory(RAM, "8K x 8 (64K bit)", "mnuRAM_64K_bitClick", "TfrmLargeRAM", 8192, true),
        memory(RAM, "4K x 8 (32K bit)", "mnuRAM_32K_bitClick", "TfrmLargeRAM", 4096, true),
        memory(RAM, "16K x 8 (128K bit)", "mnuRAM_128K_bitClick", "TfrmLargeRAM", 16384, true),
        memory(RAM, "32K x 8 (256K bit)", "mnuRAM_256K_bitClick", "TfrmLargeRAM", 32768, true),
        memory(RAM, "64K x 8 (512K bit)", "mnuRAM_512K_bitClick", "TfrmLargeRAM", 65536, true),
        chip("Real Time Clocks", "PCF8563", "mnuPCF8563Click", "TfrmPCF8563"),
        chip(TH, "LM75A  Digital Temperature Sensor", "mnuLM75AClick", "TfrmLM75A"),
        chip(TH, "NE1617(A)  Temperature monitor", "mnuNE1617AClick", "TfrmNE1617"),
        chip(TH, "SA56004 1\u00B0C Digital Temperature Sensor", "mnuSA56004Click", "TfrmSA56004"),
        chip(TH, "SE98 SO-DIMM Temperature Sensor", "mnuSE98Click", "TfrmSE98"),
        chip("Universal Modes", "Expert Mode", "mnuExpertClick", "TfrmMessage"),
        chip("Universal Modes", "User Definable Device", "mnuCustomClick", "TfrmLongI2C"),
    };
}

} // namespace

const Catalogue& standardCatalogue()
{
    static const Catalogue c = build();
    return c;
}
