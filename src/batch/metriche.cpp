// SPDX-License-Identifier: MIT
#include "batch/metriche.h"

#include <charconv>
#include <cstdio>

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
    const std::string& testo() const { return testo_; }

  private:
    std::string stazione_;
    std::string nome_;
    std::string testo_;
};

constexpr std::string_view prefisso_successo = "ftes_charts_last_success_timestamp_seconds{";

}  // namespace

bool corsa_riuscita(int stato) {
    // Status 3 published every chart too; its unreadable inputs have a metric of their own.
    return stato == 0 || stato == 3;
}

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

std::string testo_metriche(const MetricheCorsa& corsa) {
    Scrittore s(etichetta(corsa.stazione));
    const auto intero = [](int n) { return std::to_string(n); };
    s.metrica("ftes_charts_last_run_timestamp_seconds", "When the last run of the batch ended.");
    s.serie(numero(corsa.fine));
    s.metrica("ftes_charts_last_run_duration_seconds", "How long the last run took.");
    s.serie(numero(corsa.durata));
    s.metrica("ftes_charts_last_run_exit_status",
              "Exit status of the last run: 0 all published, 1 a chart not published, "
              "3 published with unreadable inputs, 4 another run kept the station's turn.");
    s.serie(intero(corsa.stato));
    s.metrica("ftes_charts_last_success_timestamp_seconds",
              "When the last run that published every chart ended.");
    if (corsa.ultimo_successo) s.serie(numero(*corsa.ultimo_successo));
    s.metrica("ftes_charts_charts_expected", "Charts the last run was to publish.");
    s.serie(intero(corsa.attese));
    s.metrica("ftes_charts_charts_published", "Charts the last run published.");
    s.serie(intero(corsa.pubblicate));
    s.metrica("ftes_charts_unreadable_inputs",
              "Input files the last run found but could not read.");
    s.serie(intero(corsa.illeggibili));
    s.metrica("ftes_charts_archive_copies_kept",
              "Archive copies the last run kept rather than replace with a chart lacking data.");
    s.serie(intero(corsa.conservati));
    if (corsa.figure.empty()) return s.testo();

    const auto per_figura = [&](std::string_view nome, std::string_view aiuto, auto valore) {
        s.metrica(nome, aiuto);
        for (const FiguraFatta& f : corsa.figure) s.serie(valore(f), f.slot);
    };
    per_figura("ftes_charts_chart_day_timestamp_seconds", "The day a chart slot shows (00:00 UTC).",
               [](const FiguraFatta& f) {
                   return std::to_string(
                       std::chrono::duration_cast<std::chrono::seconds>(f.giorno.time_since_epoch())
                           .count());
               });
    per_figura("ftes_charts_chart_observed_values", "Observed values a chart shows.",
               [&](const FiguraFatta& f) { return intero(f.valori); });
    per_figura("ftes_charts_chart_no_layer_ticks",
               "Soundings without a sporadic-E layer a chart shows.",
               [&](const FiguraFatta& f) { return intero(f.assenze); });
    per_figura("ftes_charts_chart_unreadable_inputs",
               "Input files of a chart that could not be read.",
               [&](const FiguraFatta& f) { return intero(f.illeggibili); });
    per_figura("ftes_charts_chart_forecast_drawn",
               "Whether a chart shows the forecast (1) or not (0).",
               [&](const FiguraFatta& f) { return intero(f.previsione); });
    per_figura("ftes_charts_chart_published", "Whether a chart was published (1) or not (0).",
               [&](const FiguraFatta& f) { return intero(f.pubblicata); });
    return s.testo();
}

platform::Result<> scrivi_metriche(const std::string& percorso, MetricheCorsa corsa) {
    if (corsa_riuscita(corsa.stato)) {
        corsa.ultimo_successo = corsa.fine;
    } else if (const auto prima = platform::read_whole_file(percorso, std::size_t{1} << 20)) {
        corsa.ultimo_successo = ultimo_successo_in(platform::as_text(*prima), corsa.stazione);
    }
    return platform::replace_file(percorso, testo_metriche(corsa), platform::Durability::ordinary);
}

std::optional<double> ultimo_successo_in(std::string_view testo, std::string_view stazione) {
    const std::string serie =
        std::string(prefisso_successo) + "station=\"" + etichetta(stazione) + "\"} ";
    for (std::size_t da = 0; da < testo.size();) {
        const std::size_t fine = std::min(testo.find('\n', da), testo.size());
        const std::string_view riga = testo.substr(da, fine - da);
        da = fine + 1;
        if (!riga.starts_with(serie)) continue;
        const std::string_view valore = riga.substr(serie.size());
        double v = 0;
        const auto [resto, ec] = std::from_chars(valore.data(), valore.data() + valore.size(), v);
        if (ec == std::errc{} && resto == valore.data() + valore.size()) return v;
    }
    return std::nullopt;
}

}  // namespace ftes
