// SPDX-License-Identifier: MIT
#include "curves/stazione.h"

#include <gtest/gtest.h>

#include <set>

#include "batch/form1.h"
#include "batch/tabelle.h"
#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

using namespace std::chrono;

TEST(StationKey, FirstFourCharactersExactlyInTableOrder) {
    const std::pair<const char*, int> casi[] = {
        {"Arvo station", 1}, {"Belk", 1}, {"Cind", 2},  {"Dorm 12", 3}, {"Eslo", 4}, {"Fa_N", 5},
        {"Gurt", 6},         {"gurt", 0}, {" Gurt", 0}, {"Gur", 0},     {"", 0},     {"GURT", 0},
        {"Fa N", 0},         {"Xyzw", 0},
    };
    for (const auto& [riga, tipo] : casi) EXPECT_EQ(tipo_da_chiave(riga), tipo) << riga;
}

TEST(SoundingNames, EachKindsSchemeForTheWorkedExamples) {
    const auto l1 = etichette_per_tipo(1), l2 = etichette_per_tipo(2);
    EXPECT_EQ(l1[0], "A");
    EXPECT_EQ(l1[7], "H");
    EXPECT_EQ(l1[8], "I");
    EXPECT_EQ(l1[23], "X");
    EXPECT_EQ(l2[0], "00");
    EXPECT_EQ(l2[23], "23");

    const char* attesi[] = {"25005H15.TXT",
                            "CN12A_20250050715.TXT",
                            "DR34B_20250050715.TXT",
                            "ES056_2025005071500.TXT",
                            "FN078_2025005071500.TXT",
                            "GT90C_2025005071500.TXT"};
    for (std::int16_t tipo = 1; tipo <= 6; ++tipo) {
        const auto etichette = etichette_per_tipo(tipo);
        EXPECT_EQ(nome_sondaggio(tipo, {"d/", "012025", "005", etichette[7], "15"}),
                  std::string("d/") + attesi[tipo - 1]);
    }
    EXPECT_EQ(nome_sondaggio(1, {"", "122024", "366", l1[23], "00"}), "24366X00.TXT");
    EXPECT_EQ(nome_sondaggio(2, {"", "122024", "366", l2[23], "00"}), "CN12A_20243662300.TXT");
    EXPECT_EQ(nome_sondaggio(0, {"", "122024", "366", "", "00"}), "");
}

TEST(StationRecognition, FromTheFirstFileOfTheDataFolder) {
    struct Caso {
        const char* nome;
        const char* contenuto;
        int tipo;
    };
    const Caso casi[] = {
        {"25005A00.TXT", "Belk header\r\nmore\r\n", 1},
        {"x.TXT", "Gurt", 6},
        {"x.TXT", "cind lower case\r\n", 0},
        {"x.TXT", " Cind leading blank\r\n", 0},
        {"readme.txt", "not a sounding file\r\n", 0},
        {"x.TXT", "", 0},
    };
    for (const Caso& c : casi) {
        test::CartellaTemporanea dir;
        dir.scrivi(std::string("data/") + c.nome, c.contenuto);
        dir.scrivi("data/.hidden", "Cind");
        Form1 form(2025y / 1 / 5);
        form.percorso_dati = dir.prefisso("data");
        form.etichette_ore[3] = "kept";
        EXPECT_EQ(form.riconosci_stazione(), c.tipo) << c.contenuto;
        EXPECT_EQ(form.etichette_ore[3], c.tipo == 0 ? "kept" : c.tipo == 1 ? "D" : "03");
    }
    Form1 form(2025y / 1 / 5);
    form.percorso_dati = "/nonexistent/folder/";
    EXPECT_EQ(form.riconosci_stazione(), 0);
}

TEST(SoundingNames, FromTheWindowStateOfTheSlot) {
    Form1 form(2025y / 1 / 2);  // slot 4 is 31 December 2024, slot 5 is 1 January 2025
    form.riempi_minuti();
    form.riempi_tabella_giorni();
    form.percorso_dati = "data/";
    const auto l1 = etichette_per_tipo(1);
    std::copy(l1.begin(), l1.end(), form.etichette_ore.begin());
    form.indice_giorno = 4;
    EXPECT_EQ(form.nome_file_sondaggio(1, form.mese_anno[4], 23, 60), "data/24366X00.TXT");
    form.indice_giorno = 5;
    EXPECT_EQ(form.nome_file_sondaggio(1, form.mese_anno[5], 0, 60), "data/25001A00.TXT");
    EXPECT_EQ(form.nome_file_sondaggio(1, form.mese_anno[5], 0, 1), "data/25001A01.TXT");
}

TEST(SoundingNames, OneRoomForTheWholeDayGivesTheSameNamesInTriedOrder) {
    const std::pair<std::int16_t, std::string> casi[] = {{1, "data/25005A00.TXT"},
                                                         {2, "data/CN12A_20250050000.TXT"},
                                                         {4, "data/ES056_2025005000000.TXT"}};
    for (const auto& [tipo, mezzanotte] : casi) {
        const auto etichette = etichette_per_tipo(tipo);
        NomiSondaggio nomi(tipo, "data/", "012025", "005");
        std::vector<std::string> giorno;
        for (int ora = 0; ora < 24; ++ora) {
            for (int m = 1; m <= 60; ++m) {
                const std::string minuto = testo_minuto(m);
                const std::string& nome = nomi.nome(etichette[std::size_t(ora)], minuto);
                ASSERT_EQ(nome, nome_sondaggio(tipo, {"data/", "012025", "005",
                                                      etichette[std::size_t(ora)], minuto}));
                giorno.push_back(nome);
            }
        }
        EXPECT_EQ(giorno[59], mezzanotte);  // 00:00 is the 60th name tried
        EXPECT_EQ(std::set<std::string>(giorno.begin(), giorno.end()).size(), 1440u) << tipo;
    }
    // A label of another length starts the name's tail afresh.
    NomiSondaggio nomi(2, "", "012025", "005");
    EXPECT_EQ(nomi.nome("07", "15"), "CN12A_20250050715.TXT");
    EXPECT_EQ(nomi.nome("7", "15"), "CN12A_2025005715.TXT");
    EXPECT_EQ(nomi.nome("07", "15"), "CN12A_20250050715.TXT");
}

}  // namespace
}  // namespace ftes
