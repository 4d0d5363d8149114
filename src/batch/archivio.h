// SPDX-License-Identifier: MIT
// The archive's own index: for each day whose copy this program wrote, what the copy shows and
// when it was drawn, so that a copy is never replaced by a chart less full than it. One file a
// month beside the copies ("2025-01.json" in previous_ftEs_plots), written before the copies it
// tells of: after a stop at any moment the index never tells of less than a copy holds.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace ftes {

// What the index keeps of one archive copy.
struct VoceArchivio {
    std::chrono::year_month_day giorno{};
    std::string file;       // its name in the archive folder: "2025005.gif"
    std::string disegnata;  // when it was drawn: ISO 8601 with the offset from UTC
    int valori = 0;         // observed values it shows
    int assenze = 0;        // "NO" ticks it shows
    int illeggibili = 0;    // inputs that could not be read when it was drawn
    bool previsione = false;
    std::string tabella;  // the table of its values beside it, "2025005.csv"; empty: none
    bool operator==(const VoceArchivio&) const = default;
};

// The index file of the month a day belongs to: "yyyy-mm.json".
std::string nome_indice(std::chrono::year_month_day giorno);

// The entries an index file holds, one line each; a line that is not an entry, or is damaged,
// is passed over (its day then counts as unknown).
std::vector<VoceArchivio> leggi_indice(std::string_view testo);
// The index file of a month, its entries in day order.
std::string testo_indice(std::chrono::year_month mese, const std::vector<VoceArchivio>& voci);

// What a new chart of a day is, for the decision.
struct Disegno {
    int valori = 0;
    int assenze = 0;
    int illeggibili = 0;
    bool previsione = false;
    bool senza_stazione = false;  // no station recognised in a data folder that holds files
};

// Whether a day's archive copy is replaced by a new chart: always where there is no copy;
// otherwise only by a chart at least as full as the copy (none drawn with an input unreadable,
// without a station, without any observation, with fewer values, fewer "NO" ticks or without the
// forecast the copy shows). A copy the index does not know is replaced only by a chart with
// observations. The reason a copy is kept, in a few words for the summary line; nothing when it
// is replaced.
std::optional<std::string> perche_conservare(bool copia_presente, const VoceArchivio* voce,
                                             const Disegno& nuovo);

// The indexes of an archive folder, read when first needed and written back whole, one month at
// a time.
class IndiceArchivio {
  public:
    explicit IndiceArchivio(std::string cartella) : cartella_(std::move(cartella)) {}
    // The entry of a day, when the index has one. A month whose index cannot be read (there but
    // unreadable, a link) counts as knowing no day; why is kept in avvisi().
    const VoceArchivio* voce(std::chrono::year_month_day giorno);
    // Puts the entry in its month's index and writes that index file, flushed to the disk.
    platform::Result<> registra(const VoceArchivio& voce);
    // What was worth telling about the indexes read so far; taken once.
    std::vector<platform::Note> prendi_avvisi();

  private:
    std::vector<VoceArchivio>& mese(std::chrono::year_month ym);
    std::string cartella_;
    std::map<std::chrono::year_month, std::vector<VoceArchivio>> mesi_;
    std::vector<platform::Note> avvisi_;
};

}  // namespace ftes
