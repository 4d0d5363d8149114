// SPDX-License-Identifier: MIT
#include "reports/diagnostica.h"

#include <gtest/gtest.h>

#include "batch/stato_uscita.h"

namespace ftes {
namespace {

// Where a Diagnostica's lines go in these tests.
Flusso in(std::string& testo) {
    return [&testo](std::string_view righe) { testo += righe; };
}

using namespace std::chrono;

TEST(Diagnostics, TextFromFilesShowsNoControlCharacters) {
    struct Caso {
        std::string testo, atteso;
    };
    const Caso casi[] = {
        {"data/CN12A_20250050715.TXT", "data/CN12A_20250050715.TXT"},
        {"Stazione \xC3\xA8 \xE2\x82\xAC", "Stazione \xC3\xA8 \xE2\x82\xAC"},  // è and € kept
        {"bell\x07 esc\x1B[2J del\x7F", "bell? esc?[2J del?"},
        {"csi\xC2\x9B"
         "2J nel\xC2\x85",
         "csi?2J nel?"},  // C1 controls as UTF-8
        {"raw\x9B"
         "2J",
         "raw?2J"},                              // and as single bytes
        {"latin \xE8 cut\xC3", "latin ? cut?"},  // bytes that are no UTF-8
    };
    for (const Caso& c : casi) EXPECT_EQ(testo_stampabile(c.testo), c.atteso) << c.testo;
    EXPECT_EQ(testo_stampabile(std::string(5000, 'x')).size(), 1000u);

    std::string uscita;
    Diagnostica(in(uscita), {}).segnala("station", "data/\x1B[31mx", "first line \"\x9B\"");
    EXPECT_EQ(uscita, "ftes-charts: station: data/?[31mx: first line \"?\"\n");
}

EsitoFigura figura(Copia copia, bool corrente = true) {
    EsitoFigura f;
    f.slot = 6;
    f.giorno = calcola_giorno(2025y / 1 / 5, 0);
    f.valori = 3;
    f.assenze = 2;
    f.previsione = true;
    f.esportazione.corrente = corrente;
    f.esportazione.copia = copia;
    return f;
}

TEST(Diagnostics, EachChartsSummaryTellsHowItWasPublished) {
    EsitoFigura conservata = figura(Copia::conservata);
    conservata.esportazione.conservata = "59 values in the copy, 1 now";
    EsitoFigura non_scritta = figura(Copia::non_scritta);
    non_scritta.esportazione.perche = "archive GIF: cannot write the GIF (No space left on device)";
    EsitoFigura non_pubblicata = figura(Copia::non_scritta, false);
    non_pubblicata.esportazione.perche = "current GIF: x";
    EsitoFigura non_sincronizzata = figura(Copia::scritta);
    non_sincronizzata.esportazione.non_sincronizzata =
        platform::Note{"a", "in place, but its folder could not be flushed: Input/output error"};
    EsitoFigura senza = figura(Copia::conservata);
    senza.illeggibili = 1;
    senza.senza_stazione = true;
    senza.previsione = false;
    senza.esportazione.conservata = "1 input file of this day could not be read";
    EsitoFigura vuota = figura(Copia::scritta);
    vuota.valori = vuota.assenze = 0;
    const std::string oggi = "05/01/2025 plotftEs6.gif: 3 values, 2 no-layer, ";
    const std::string archivio = "05/01/2025 previous_ftEs_plots" +
                                 std::string(1, platform::separator()) +
                                 "2025005.gif: 3 values, 2 no-layer, ";
    const std::pair<std::string, std::string> casi[] = {
        {riepilogo(figura(Copia::scritta), false), oggi + "forecast drawn, published"},
        {riepilogo(conservata, false),
         oggi + "forecast drawn, published, archive copy kept (59 values in the copy, 1 now)"},
        {riepilogo(non_scritta, false),
         oggi + "forecast drawn, published, archive copy not written (archive GIF: cannot write "
                "the GIF (No space left on device))"},
        {riepilogo(non_pubblicata, false), oggi + "forecast drawn, not published (current GIF: x)"},
        {riepilogo(non_sincronizzata, false),
         oggi + "forecast drawn, published, archive copy in place but not flushed (in place, but "
                "its folder could not be flushed: Input/output error)"},
        {riepilogo(senza, false),
         oggi + "1 unreadable, no station recognised, forecast missing, published, archive copy "
                "kept (1 input file of this day could not be read)"},
        {riepilogo(figura(Copia::scritta), true), archivio + "forecast drawn, published"},
        {riepilogo(figura(Copia::sostituita), true), archivio + "forecast drawn, replaced"},
        {riepilogo(vuota, true),
         "05/01/2025 previous_ftEs_plots" + std::string(1, platform::separator()) +
             "2025005.gif: 0 values, 0 no-layer, no sounding, forecast drawn, published"},
        {riepilogo(conservata, true),
         archivio + "forecast drawn, archive copy kept (59 values in the copy, 1 now)"},
    };
    for (const auto& [detto, atteso] : casi) EXPECT_EQ(detto, atteso);
}

TEST(Diagnostics, ARunThatFailsSaysWhyInOneLineWithOrWithoutVerbose) {
    std::string errori;
    Diagnostica d({}, in(errori));
    EsitoCorsa esito;
    esito.attese = 6;
    esito.pubblicate = 5;
    EsitoFigura rotta = figura(Copia::non_scritta, false);
    rotta.esportazione.perche = "current GIF: cannot create a file in the target folder (x)";
    d.figura(figura(Copia::scritta), false);
    d.figura(rotta, false);
    d.concludi(uscita_non_pubblicata, esito);
    EXPECT_EQ(errori,
              "ftes-charts: 1 of 6 charts not published or not archived; the first: 05/01/2025 "
              "plotftEs6.gif: 3 values, 2 no-layer, forecast drawn, not published (current GIF: "
              "cannot create a file in the target folder (x))\n");

    std::string illeggibili;
    Diagnostica d3({}, in(illeggibili));
    d3.avviso({Avviso::Genere::nota, "forecast curve", {"base/x.txt", "cannot open: not found"}});
    d3.avviso({Avviso::Genere::illeggibile, "observed values", {"data/a", "cannot read: EIO"}});
    esito.pubblicate = 6;
    esito.illeggibili = 2;
    d3.concludi(uscita_illeggibili, esito);
    EXPECT_EQ(illeggibili,
              "ftes-charts: every chart published, but 2 input files there could not be read; "
              "observed values: data/a: cannot read: EIO\n");

    // What stopped the run was said when it happened, and a run that ends 0 says nothing.
    std::string fermata;
    Diagnostica d4({}, in(fermata));
    d4.avviso({Avviso::Genere::arresto, "run lock", {"base/.ftes-charts.lock", "kept"}});
    d4.concludi(uscita_turno_negato, esito);
    d4.concludi(uscita_riuscita, esito);
    EXPECT_EQ(fermata, "ftes-charts: run lock: base/.ftes-charts.lock: kept\n");
}

}  // namespace
}  // namespace ftes
