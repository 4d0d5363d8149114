// SPDX-License-Identifier: MIT
#include "curves/stazione.h"

#include <gtest/gtest.h>

#include <set>

#include "support/cartella_temporanea.h"

namespace ftes {
namespace {

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
        EXPECT_EQ(NomiSondaggio(tipo, "d/", "012025", "005").nome({7, 15}),
                  std::string("d/") + attesi[tipo - 1]);
    }
    EXPECT_EQ(NomiSondaggio(1, "", "122024", "366").nome({23, 0}), "24366X00.TXT");
    EXPECT_EQ(NomiSondaggio(2, "", "122024", "366").nome({23, 0}), "CN12A_20243662300.TXT");
    EXPECT_EQ(NomiSondaggio(0, "", "122024", "366").nome({23, 0}), "");
}

TEST(StationRecognition, FromTheFirstFileOfTheDataFolderThatHoldsAKey) {
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
        const StazioneTrovata s = trova_stazione(dir.prefisso("data"));
        EXPECT_EQ(s.tipo_stazione, c.tipo) << c.contenuto;
        EXPECT_EQ(s.esaminati, 1);
        EXPECT_EQ(s.illeggibili, 0);
        // A station found says nothing; none found says why, the file's line first.
        EXPECT_EQ(s.avvisi.size(), c.tipo == 0 ? 2u : 0u) << c.contenuto;
    }
    // Stray files in any order of the listing are passed over, each told.
    test::CartellaTemporanea dir;
    dir.scrivi("data/desktop.ini", "[.ShellClassInfo]\r\n");
    dir.scrivi("data/Thumbs.db", std::string("\0\1binary", 8));
    dir.scrivi("data/CN12A_20250050715.TXT", "Cind\r\n");
    const StazioneTrovata s = trova_stazione(dir.prefisso("data"));
    EXPECT_EQ(s.tipo_stazione, 2);
    EXPECT_EQ(s.etichette_ore[23], "23");
    for (const auto& a : s.avvisi)
        EXPECT_NE(a.text.find("holds no station key; skipped"), std::string::npos);

    const StazioneTrovata assente = trova_stazione(dir.prefisso("missing"));
    EXPECT_EQ(assente.tipo_stazione, 0);
    EXPECT_EQ(assente.esaminati, 0);
    EXPECT_EQ(assente.illeggibili, 1);  // the data folder is expected to be there
    ASSERT_EQ(assente.avvisi.size(), 1u);
    EXPECT_EQ(assente.avvisi[0].text.rfind("cannot list: ", 0), 0u);
}

TEST(SoundingNames, OneRoomForTheWholeDayGivesEveryNameInTriedOrder) {
    struct Caso {
        std::int16_t tipo;
        const char *primo, *mezzanotte, *dopo, *ultimo;  // names 1, 60, 61 and 1440
    };
    const Caso casi[] = {
        {1, "data/25005A01.TXT", "data/25005A00.TXT", "data/25005B01.TXT", "data/25005X00.TXT"},
        {2, "data/CN12A_20250050001.TXT", "data/CN12A_20250050000.TXT",
         "data/CN12A_20250050101.TXT", "data/CN12A_20250052300.TXT"},
        {4, "data/ES056_2025005000100.TXT", "data/ES056_2025005000000.TXT",
         "data/ES056_2025005010100.TXT", "data/ES056_2025005230000.TXT"},
    };
    for (const Caso& c : casi) {
        NomiSondaggio nomi(c.tipo, "data/", "012025", "005");
        std::vector<std::string> giorno;
        for (const OraMinuto quando : ordine_sondaggi()) giorno.push_back(nomi.nome(quando));
        EXPECT_EQ(giorno[0], c.primo);
        EXPECT_EQ(giorno[59], c.mezzanotte);  // minute 00 is tried after minute 59
        EXPECT_EQ(giorno[60], c.dopo);
        EXPECT_EQ(giorno[1439], c.ultimo);
        EXPECT_EQ(std::set<std::string>(giorno.begin(), giorno.end()).size(), 1440u) << c.tipo;
    }
}

}  // namespace
}  // namespace ftes
