// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "batch/form1.h"

namespace ftes {
namespace {

using namespace std::chrono;

// Records every operation the driver calls, with its argument; optionally throws from each.
class Form1Registrato : public Form1 {
  public:
    Form1Registrato(year_month_day data, bool lancia) : Form1(data), lancia_(lancia) {}
    std::vector<std::string> chiamate;

    void riempi_minuti() override {
        annota("minuti", [&] { Form1::riempi_minuti(); });
    }
    void leggi_configurazione() override {
        annota("configurazione", [] {});
    }
    void riempi_tabella_giorni() override {
        annota("giorni", [&] { Form1::riempi_tabella_giorni(); });
    }
    void impostazioni_dimensioni_e_scala_del_form() override {
        annota("scala", [] {});
    }
    void disegno_dello_stage() override {
        annota("stage " + slot(), [] {});
    }
    void grafico_previsione(const std::string& f) override {
        annota("previsione " + f, [] {});
    }
    void grafico_valori_autoscalati(const std::string& f) override {
        annota("valori " + f, [] {});
    }
    void imposta_posizione(float x, float y) override {
        annota("posizione " + std::to_string(int(x)) + "," + std::to_string(int(y)), [] {});
    }
    void stampa_testo(const std::string& t) override {
        annota("testo " + t, [] {});
    }
    void salva_figura(const std::string& f) override {
        annota("salva " + f + " " + slot(), [] {});
    }
    void pulisci() override {
        annota("pulisci", [] {});
    }

  private:
    std::string slot() const { return std::to_string(indice_giorno); }
    template <class F>
    void annota(const std::string& cosa, F&& reale) {
        chiamate.push_back(cosa);
        reale();  // the preparation still fills the tables the slots need
        if (lancia_) throw std::runtime_error("step failed: " + cosa);
    }
    bool lancia_;
};

std::vector<std::string> attese_5_dicembre_2025() {
    std::vector<std::string> v = {"minuti", "configurazione", "giorni", "scala"};
    const char* date[] = {"30/11/2025", "01/12/2025", "02/12/2025",
                          "03/12/2025", "04/12/2025", "05/12/2025"};
    for (int s = 1; s <= 6; ++s) {
        const std::string chiave = s == 1 ? "112025" : "122025";
        v.insert(v.end(), {"stage " + std::to_string(s), "previsione " + chiave, "valori " + chiave,
                           "posizione 75,210", std::string("testo Date: ") + date[s - 1],
                           "salva " + chiave + " " + std::to_string(s), "pulisci"});
    }
    return v;
}

TEST(Driver, RunsPreparationThenSixSlotsInOrderWithEachSlotsMonthKey) {
    Form1Registrato form(2025y / 12 / 5, false);
    form.caricamento_form();
    EXPECT_EQ(form.chiamate, attese_5_dicembre_2025());
}

TEST(Driver, EveryStepFailingStillRunsEveryStepOfAllSixSlots) {
    Form1Registrato form(2025y / 12 / 5, true);
    form.caricamento_form();
    EXPECT_EQ(form.chiamate, attese_5_dicembre_2025());
    EXPECT_EQ(form.stato_uscita(), 1);
}

}  // namespace
}  // namespace ftes
