// SPDX-License-Identifier: MIT
#include "batch/diagnostica.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ftes {
namespace {

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

    std::ostringstream uscita;
    Diagnostica(&uscita).segnala("station", "data/\x1B[31mx", "first line \"\x9B\"");
    EXPECT_EQ(uscita.str(), "ftes-charts: station: data/?[31mx: first line \"?\"\n");
}

}  // namespace
}  // namespace ftes
