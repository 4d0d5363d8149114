// SPDX-License-Identifier: MIT
#include "batch/manifesto.h"

#include <gtest/gtest.h>

namespace ftes {
namespace {

using namespace std::chrono;

TEST(Manifest, EachChartWithItsDayStateCountsValuesAndNoLayerTimes) {
    FiguraFatta oggi{6, sys_days{2025y / 1 / 5}, 2, 1, 1, true, true, {}};
    oggi.sondaggi = {{72, {Osservazione::Tipo::valore, 45}, 7 * 60 + 15},
                     {122, {Osservazione::Tipo::nessuno_strato, 0}, 12 * 60 + 15},
                     {80, {Osservazione::Tipo::valore, 123}, 8 * 60}};
    const FiguraFatta ieri{5, sys_days{2025y / 1 / 4}, 0, 0, 0, false, false, {}};
    const std::string testo =
        testo_manifesto("2025-01-05T14:03:07+01:00", "1.2.0", 2025y / 1 / 5, {ieri, oggi});
    EXPECT_EQ(testo,
              "{\n"
              "  \"generated\": \"2025-01-05T14:03:07+01:00\",\n"
              "  \"version\": \"1.2.0\",\n"
              "  \"today\": \"2025-01-05\",\n"
              "  \"charts\": [\n"
              "    {\"slot\": 5, \"file\": \"plotftEs5.gif\", \"day\": \"2025-01-04\", "
              "\"published\": false,\n"
              "     \"values\": 0, \"no_layer\": 0, \"unreadable\": 0, \"forecast\": false,\n"
              "     \"observed\": [],\n"
              "     \"no_layer_times\": []},\n"
              "    {\"slot\": 6, \"file\": \"plotftEs6.gif\", \"day\": \"2025-01-05\", "
              "\"published\": true,\n"
              "     \"values\": 2, \"no_layer\": 1, \"unreadable\": 1, \"forecast\": true,\n"
              "     \"observed\": [[7.25, 4.5], [8, 12.3]],\n"
              "     \"no_layer_times\": [12.25]}\n"
              "  ]\n"
              "}\n");
}

}  // namespace
}  // namespace ftes
