// SPDX-License-Identifier: MIT
// The driver as a whole, in this process: the preparation, then the six slots in order, each
// with its own month key, date and slot number, whatever fails on the way; what it tells and
// what it leaves are what is looked at.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/form1.h"
#include "reports/diagnostica.h"
#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using namespace std::chrono;

// What a --verbose run writes in the folder, and its exit status.
std::pair<std::string, int> esegui_in(const test::CartellaTemporanea& dir, year_month_day oggi) {
    const test::DirectoryCorrente qui(dir.percorso());
    std::string uscita;
    const Flusso in_uscita = [&](std::string_view righe) { uscita += righe; };
    Diagnostica diagnostica(in_uscita, in_uscita);
    Form1 form(oggi, diagnostica, {});
    form.caricamento_form();
    return {uscita, stato_uscita(form.esito())};
}

TEST(Driver, RunsTheSixSlotsInOrderWithEachSlotsMonthKeyDateAndNumber) {
    test::CartellaTemporanea dir;
    dir.scrivi("varnel.ini", "b\r\nbase/\r\nd\r\ndata/\r\nw\r\nweb/\r\n");
    for (const char* cartella : {"base/previous_ftEs_plots", "data", "web"}) {
        dir.crea_cartella(cartella);
    }
    // The folders as varnel.ini names them: a slash serves on every system. The station is
    // looked for once.
    std::string attese =
        "ftes-charts: station: data/: no file in the data folder; no observed values drawn\n";
    const char* date[] = {"30/11/2025", "01/12/2025", "02/12/2025",
                          "03/12/2025", "04/12/2025", "05/12/2025"};
    for (int slot = 1; slot <= 6; ++slot) {
        const std::string chiave = slot == 1 ? "112025" : "122025";
        attese += "ftes-charts: forecast curve: base/" + chiave +
                  ".txt: cannot open: not found; no forecast drawn\n" +
                  std::string(date[slot - 1]) + " plotftEs" + std::to_string(slot) +
                  ".gif: 0 values, 0 no-layer, no sounding, forecast missing, published\n";
    }
    const auto [detto, stato] = esegui_in(dir, 2025y / 12 / 5);
    EXPECT_EQ(detto, attese);
    EXPECT_EQ(stato, 0);
    for (const char* gif :
         {"web/plotftEs1.gif", "web/plotftEs6.gif", "base/previous_ftEs_plots/2025334.gif",
          "base/previous_ftEs_plots/2025339.gif"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.percorso() / gif)) << gif;
    }
}

TEST(Driver, EverySlotRunsEvenWhenItsStepsFail) {
    // A base folder that is not there: no chart can be exported.
    test::CartellaTemporanea dir;
    dir.scrivi("varnel.ini", "b\r\nbase/\r\nd\r\ndata/\r\nw\r\nweb/\r\n");
    const auto [detto, stato] = esegui_in(dir, 2025y / 12 / 5);
    EXPECT_EQ(stato, 1);
    std::istringstream righe(detto);
    int slot = 0;
    for (std::string r; std::getline(righe, r);) {
        if (r.find(" plotftEs") == std::string::npos) continue;
        ++slot;
        EXPECT_EQ(r.substr(10, 16), " plotftEs" + std::to_string(slot) + ".gif: ") << r;
        EXPECT_NE(r.find("not published (BMP: cannot write"), std::string::npos) << r;
    }
    EXPECT_EQ(slot, 6) << detto;
}

TEST(Driver, WithoutItsConfigurationARunDoesNothing) {
    test::CartellaTemporanea dir;
    const auto [detto, stato] = esegui_in(dir, 2025y / 12 / 5);
    EXPECT_EQ(stato, 1);
    EXPECT_EQ(
        detto,
        "ftes-charts: configuration: " + dir.prefisso() +
            "varnel.ini: cannot open: not found; nothing written (start the run in the station "
            "folder, the one that holds varnel.ini)\n");
    EXPECT_TRUE(test::nomi_in(dir.percorso()).empty());
}

}  // namespace
}  // namespace ftes
