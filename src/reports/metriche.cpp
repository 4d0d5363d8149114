// SPDX-License-Identifier: MIT
#include "reports/metriche.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "batch/stato_uscita.h"
#include "platform/file_system.h"

namespace ftes {

namespace {

std::string numero(double valore) {
    char testo[64];
    std::snprintf(testo, sizeof testo, "%.3f", valore);
    return testo;
}

// One metric: its HELP, its TYPE and its series, each "labels value".
class Scrittore {
  public:
    explicit Scrittore(std::string stazione) : stazione_(std::move(stazione)) {}

    void metrica(std::string_view nome, std::string_view aiuto) {
        nome_ = nome;
        ((((testo_ += "# HELP ") += nome) += ' ') += aiuto) += '\n';
        ((testo_ += "# TYPE ") += nome) += " gauge\n";
    }
    void serie(const std::string& valore, int slot = 0) {
        ((testo_ += nome_) += "{station=\"") += stazione_;
        if (slot > 0) (testo_ += "\",slot=\"") += std::to_string(slot);
        ((testo_ += "\"} ") += valore) += '\n';
    }
    void aggiungi(std::string_view righe) { testo_ += righe; }
    const std::string& testo() const { return testo_; }

  private:
    std::string stazione_;
    std::string nome_;
    std::string testo_;
};

constexpr std::string_view prefisso_successo = "ftes_charts_last_success_timestamp_seconds{";

// The metrics of the run itself, which every run writes anew.
constexpr std::array<std::string_view, 6> metriche_corsa = {
    "ftes_charts_last_run_timestamp_seconds", "ftes_charts_last_run_duration_seconds",
    "ftes_charts_last_run_exit_status",       "ftes_charts_last_success_timestamp_seconds",
    "ftes_charts_last_run_turn_refused",      "ftes_charts_last_run_without_turn"};

std::string intero(int n) {
    return std::to_string(n);
}

// A number as Prometheus' text format writes one, when it is finite; nothing otherwise.
std::optional<double> finito(std::string_view testo) {
    if (testo.empty() || testo.size() > 64 || testo.front() == ' ') return std::nullopt;
    const std::string copia(testo);
    char* fine = nullptr;
    const double v = std::strtod(copia.c_str(), &fine);
    if (fine != copia.c_str() + copia.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The lines of a text, each without its line end (LF or CR LF).
template <class F>
void per_riga(std::string_view testo, F&& f) {
    for (std::size_t da = 0; da < testo.size();) {
        const std::size_t fine = std::min(testo.find('\n', da), testo.size());
        std::string_view riga = testo.substr(da, fine - da);
        if (riga.ends_with('\r')) riga.remove_suffix(1);
        f(riga);
        da = fine + 1;
    }
}

}  // namespace

std::string etichetta(std::string_view testo) {
    std::string e;
    for (const char c : testo) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            (e += '\\') += c;
        } else {
            e += u >= 32 && u < 127 ? c : '_';
        }
    }
    return e;
}

std::string testo_metriche(const MetricheCorsa& corsa, const EsitoCorsa& esito) {
    Scrittore s(etichetta(corsa.stazione));
    const bool negato = esito.arresto == Arresto::turno_negato;
    s.metrica("ftes_charts_last_run_timestamp_seconds", "When the last run of the batch ended.");
    s.serie(numero(corsa.fine));
    s.metrica("ftes_charts_last_run_duration_seconds", "How long the last run took.");
    s.serie(numero(corsa.durata));
    std::string stati = "Exit status of the last run:";
    for (const Significato& m : significati) {
        ((stati += ' ') += std::to_string(m.stato) += ' ') += m.breve;
        stati += m.stato == significati.back().stato ? '.' : ',';
    }
    s.metrica("ftes_charts_last_run_exit_status", stati);
    s.serie(intero(corsa.stato));
    s.metrica("ftes_charts_last_success_timestamp_seconds",
              "When the last run that published every chart ended.");
    if (corsa.ultimo_successo) s.serie(numero(*corsa.ultimo_successo));
    s.metrica("ftes_charts_last_run_turn_refused",
              "Whether the last run gave up because another run of the station kept its turn "
              "(1) or not (0); the charts' figures are then the run's before.");
    s.serie(intero(negato));
    s.metrica("ftes_charts_last_run_without_turn",
              "Whether the last run went on without its turn because the file system gives no "
              "locks (1) or not (0).");
    s.serie(intero(esito.senza_turno.has_value()));
    if (negato) return s.testo();

    s.metrica("ftes_charts_charts_expected", "Charts the last run was to publish.");
    s.serie(intero(esito.attese));
    s.metrica("ftes_charts_charts_published", "Charts the last run published.");
    s.serie(intero(esito.pubblicate));
    s.metrica("ftes_charts_unreadable_inputs",
              "Input files the last run found but could not read.");
    s.serie(intero(esito.illeggibili));
    s.metrica("ftes_charts_station_not_recognised",
              "Whether the last run recognised no station in a data folder that holds files.");
    s.serie(intero(esito.senza_stazione));
    s.metrica("ftes_charts_archive_copies_kept",
              "Archive copies the last run kept rather than replace with a chart less full.");
    s.serie(intero(esito.conservate));
    s.metrica("ftes_charts_archive_copies_not_flushed",
              "Archive copies the last run put in place but could not flush to the disk.");
    s.serie(intero(esito.non_sincronizzate));
    if (esito.figure.empty()) return s.testo();

    const auto per_figura = [&](std::string_view nome, std::string_view aiuto, auto valore) {
        s.metrica(nome, aiuto);
        for (const EsitoFigura& f : esito.figure) s.serie(valore(f), f.slot);
    };
    per_figura(
        "ftes_charts_chart_day_timestamp_seconds", "The day a chart slot shows (00:00 UTC).",
        [](const EsitoFigura& f) {
            return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::sys_days{f.giorno.data}.time_since_epoch())
                                      .count());
        });
    per_figura("ftes_charts_chart_observed_values", "Observed values a chart shows.",
               [](const EsitoFigura& f) { return intero(f.valori); });
    per_figura("ftes_charts_chart_no_layer_ticks",
               "Soundings without a sporadic-E layer a chart shows.",
               [](const EsitoFigura& f) { return intero(f.assenze); });
    per_figura("ftes_charts_chart_unreadable_inputs",
               "Input files of a chart that could not be read.",
               [](const EsitoFigura& f) { return intero(f.illeggibili); });
    per_figura("ftes_charts_chart_forecast_drawn",
               "Whether a chart shows the forecast (1) or not (0).",
               [](const EsitoFigura& f) { return intero(f.previsione); });
    per_figura("ftes_charts_chart_published", "Whether a chart was published (1) or not (0).",
               [](const EsitoFigura& f) { return intero(f.pubblicata(false)); });
    return s.testo();
}

platform::Result<std::optional<double>> ultimo_successo_in(std::string_view testo,
                                                           std::string_view stazione,
                                                           double adesso) {
    const std::string serie =
        std::string(prefisso_successo) + "station=\"" + etichetta(stazione) + "\"} ";
    std::optional<std::string_view> trovato;
    per_riga(testo, [&](std::string_view riga) {
        if (!trovato && riga.starts_with(serie)) trovato = riga.substr(serie.size());
    });
    if (!trovato) return std::optional<double>();
    const auto v = finito(*trovato);
    if (!v || *v < 0) {
        return platform::Error{
            {}, "its last success \"" + std::string(trovato->substr(0, 40)) + "\" is no time"};
    }
    if (*v > adesso) {
        return platform::Error{{}, "its last success " + numero(*v) + " lies after now"};
    }
    return std::optional<double>(*v);
}

std::string figure_precedenti(std::string_view testo) {
    std::string tenute;
    per_riga(testo, [&](std::string_view riga) {
        std::string_view nome = riga;
        if (riga.starts_with("# HELP ") || riga.starts_with("# TYPE ")) nome.remove_prefix(7);
        nome = nome.substr(0, nome.find_first_of(" {"));
        if (!nome.starts_with("ftes_charts_")) return;
        for (const std::string_view m : metriche_corsa) {
            if (nome == m) return;
        }
        for (const char c : riga) {
            if (c < 32 || c > 126) return;
        }
        if (!riga.starts_with('#')) {
            const std::size_t spazio = riga.rfind(' ');
            if (spazio == std::string_view::npos || !finito(riga.substr(spazio + 1))) return;
        }
        (tenute += riga) += '\n';
    });
    return tenute;
}

platform::Result<std::vector<platform::Note>> scrivi_metriche(const std::string& percorso,
                                                              MetricheCorsa corsa,
                                                              const EsitoCorsa& esito) {
    std::vector<platform::Note> note;
    std::string precedente;
    const bool riuscita = corsa_riuscita(corsa.stato);
    const bool negato = esito.arresto == Arresto::turno_negato;
    if (!riuscita || negato) {
        const auto letto =
            platform::read_whole_file(percorso, std::size_t{1} << 20, platform::Links::refuse);
        if (letto) {
            precedente = platform::as_text(*letto);
        } else if (!letto.error().absent) {
            note.push_back({percorso, "the previous file cannot be read (" + letto.error().text +
                                          "): the last success is not carried over"});
        }
    }
    if (riuscita) {
        corsa.ultimo_successo = corsa.fine;
    } else if (!precedente.empty()) {
        const auto prima = ultimo_successo_in(precedente, corsa.stazione, corsa.fine);
        if (prima) {
            corsa.ultimo_successo = *prima;
        } else {
            note.push_back({percorso, prima.error().text + ": it is not carried over"});
        }
    }
    std::string testo = testo_metriche(corsa, esito);
    // A run refused its turn changed no chart: the charts' figures stay those of the run before.
    if (negato) testo += figure_precedenti(precedente);
    const auto scritto = platform::replace_file(percorso, testo, platform::Durability::ordinary);
    if (!scritto) return scritto.error();
    return note;
}

}  // namespace ftes
