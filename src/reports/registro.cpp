// SPDX-License-Identifier: MIT
#include "reports/registro.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "batch/stato_uscita.h"
#include "platform/file_system.h"

namespace ftes {

namespace {

// The text split at the starts of the runs' reports; lines before the first report (written by
// hand) are a part of their own.
std::vector<std::string_view> corse(std::string_view testo) {
    std::vector<std::string_view> parti;
    std::size_t inizio = 0;
    for (std::size_t da = 0; da < testo.size();) {
        if (da > inizio && testo.substr(da).starts_with(inizio_corsa)) {
            parti.push_back(testo.substr(inizio, da - inizio));
            inizio = da;
        }
        const std::size_t a_capo = testo.find('\n', da);
        if (a_capo == std::string_view::npos) break;
        da = a_capo + 1;
    }
    if (inizio < testo.size()) parti.push_back(testo.substr(inizio));
    return parti;
}

std::string_view prima_riga(std::string_view testo) {
    const std::size_t a_capo = testo.find('\n');
    return a_capo == std::string_view::npos ? testo : testo.substr(0, a_capo + 1);
}

// A report within massimo bytes: its first lines and its last lines, with a line between them
// that says how many were left out.
std::string accorciata(std::string_view corsa, std::size_t massimo) {
    std::vector<std::string_view> righe;
    for (std::size_t da = 0; da < corsa.size();) {
        const std::size_t a_capo = std::min(corsa.find('\n', da), corsa.size() - 1);
        righe.push_back(corsa.substr(da, a_capo + 1 - da));
        da = a_capo + 1;
    }
    const auto nota = [](std::size_t n) {
        std::string testo(1, '(');
        return (testo += std::to_string(n)) += " lines of this run left out)\n";
    };
    const std::size_t spazio = massimo - std::min(massimo, nota(righe.size()).size());
    std::size_t testa = 0, coda = righe.size(), usati = 0;
    // Lines from the head and the tail in turn, while they fit.
    for (bool dalla_testa = true; testa < coda; dalla_testa = !dalla_testa) {
        const std::string_view r = dalla_testa ? righe[testa] : righe[coda - 1];
        if (usati + r.size() > spazio) break;
        usati += r.size();
        dalla_testa ? ++testa : --coda;
    }
    std::string testo;
    for (std::size_t i = 0; i < testa; ++i) testo += righe[i];
    if (testa < coda) testo += nota(coda - testa);
    for (std::size_t i = coda; i < righe.size(); ++i) testo += righe[i];
    if (testo.size() > massimo) testo.clear();  // a bound smaller than one line
    return testo;
}

// The lines of a text, each with its line end.
std::vector<std::string_view> righe_di(std::string_view testo) {
    std::vector<std::string_view> righe;
    for (std::size_t da = 0; da < testo.size();) {
        const std::size_t a_capo = std::min(testo.find('\n', da), testo.size() - 1);
        righe.push_back(testo.substr(da, a_capo + 1 - da));
        da = a_capo + 1;
    }
    return righe;
}

// The start lines of the runs whose report is in the text or in the new report go:
// "<header>: started" when a line "<header>: exit status ..." is there.
std::string senza_inizi_conclusi(std::string_view testo, std::string_view nuova) {
    constexpr std::string_view iniziata = "started", conclusa = ": exit status ";
    const std::vector<std::string_view> righe = righe_di(testo);
    std::set<std::string_view> concluse;
    for (const std::string_view parte : {testo, nuova}) {
        for (const std::string_view riga : righe_di(parte)) {
            const std::size_t c = riga.find(conclusa);
            if (riga.starts_with(inizio_corsa) && c != std::string_view::npos) {
                concluse.insert(riga.substr(0, c + 2));
            }
        }
    }
    std::string tenuto;
    for (const std::string_view riga : righe) {
        std::string_view corpo = riga;
        while (!corpo.empty() && (corpo.back() == '\n' || corpo.back() == '\r')) {
            corpo.remove_suffix(1);
        }
        const bool inizio = corpo.starts_with(inizio_corsa) && corpo.ends_with(": started") &&
                            concluse.count(corpo.substr(0, corpo.size() - iniziata.size())) > 0;
        if (!inizio) tenuto += riga;
    }
    return tenuto;
}

// An operation on the log, tried again while another program holds the file, for up to about
// three seconds.
template <class Operazione>
auto con_pazienza(Operazione fai) {
    auto fatto = fai();
    for (int volte = 0; volte < 30 && !fatto && fatto.error().held; ++volte) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        fatto = fai();
    }
    return fatto;
}

// A log found past the bound, cut down to registro_ridotto; the reason when it cannot be.
std::optional<std::string> accorcia(const std::string& percorso) {
    const auto letto = platform::read_file_end(percorso, max_registro, platform::Links::refuse);
    if (!letto) return letto.error().text;
    std::string_view testo = platform::as_text(letto->bytes);
    // Read from the middle of the log: its first, cut line goes.
    if (letto->cut) {
        const std::size_t a_capo = testo.find('\n');
        testo.remove_prefix(a_capo == std::string_view::npos ? testo.size() : a_capo + 1);
    }
    const std::string ridotto = registro_aggiornato(testo, {}, registro_ridotto);
    const auto scritto = con_pazienza(
        [&] { return platform::replace_file(percorso, ridotto, platform::Durability::ordinary); });
    if (!scritto) return scritto.error().text;
    return std::nullopt;
}

}  // namespace

std::string riga_inizio(std::string_view versione, std::string_view ora,
                        std::string_view fine_riga) {
    std::string testo(inizio_corsa);
    (((testo += versione) += ' ') += ora) += ": started";
    return testo += fine_riga;
}

std::string testo_corsa(std::string_view versione, std::string_view ora, int stato,
                        std::string_view righe, std::string_view fine_riga) {
    std::string testo = std::string(inizio_corsa) + std::string(versione) + " " + std::string(ora) +
                        ": exit status " + std::to_string(stato) + " (" +
                        std::string(significato_uscita(stato)) + ")";
    testo += fine_riga;
    for (std::size_t da = 0; da < righe.size();) {
        const std::size_t a_capo = righe.find('\n', da);
        const std::size_t fine = a_capo == std::string_view::npos ? righe.size() : a_capo;
        testo.append(righe.substr(da, fine - da));
        testo += fine_riga;
        da = fine + 1;
    }
    return testo;
}

std::string registro_aggiornato(std::string_view precedente, std::string_view corsa,
                                std::size_t massimo) {
    // A report of one line (a header alone) is never cut; a longer one leaves room for others.
    const bool una_riga = prima_riga(corsa).size() == corsa.size();
    std::string questa = corsa.size() > massimo / 2 && !una_riga ? accorciata(corsa, massimo / 2)
                                                                 : std::string(corsa);
    if (questa.size() > massimo) questa.resize(massimo);
    std::size_t spazio = massimo - questa.size();
    const std::string senza_inizi = senza_inizi_conclusi(precedente, questa);
    const std::vector<std::string_view> parti = corse(senza_inizi);
    // From the newest back: whole runs while they fit, then their header lines alone.
    std::vector<std::string> tenute;
    bool intere = true;
    for (auto p = parti.rbegin(); p != parti.rend(); ++p) {
        if (!p->starts_with(inizio_corsa)) {
            // Lines written by hand go first of all, and only whole.
            std::string parte(*p);
            if (!parte.ends_with('\n')) parte += '\n';
            if (intere && parte.size() <= spazio) {
                spazio -= parte.size();
                tenute.push_back(std::move(parte));
            }
            continue;
        }
        std::string parte(intere ? *p : prima_riga(*p));
        if (!parte.ends_with('\n')) parte += '\n';
        if (parte.size() > spazio && intere) {
            intere = false;
            parte = std::string(prima_riga(*p));
            if (!parte.ends_with('\n')) parte += '\n';
        }
        if (parte.size() > spazio) break;
        spazio -= parte.size();
        tenute.push_back(std::move(parte));
    }
    std::string testo;
    for (auto t = tenute.rbegin(); t != tenute.rend(); ++t) testo += *t;
    return testo + questa;
}

platform::Result<std::optional<platform::Note>> scrivi_registro(const std::string& percorso,
                                                                std::string_view testo) {
    std::optional<platform::Note> nota;
    auto aggiunto = con_pazienza([&] { return platform::append_to_file(percorso, testo); });
    if (!aggiunto && aggiunto.error().text == platform::link_refused_text) {
        // What a link leads to is never written: the link gives way to a log of its own.
        if (const auto tolto = platform::remove_file(percorso); !tolto) return tolto.error();
        nota = platform::Note{percorso,
                              "a link stood there; it was not followed, and a new log "
                              "took its place"};
        aggiunto = platform::append_to_file(percorso, testo);
    }
    if (!aggiunto) return aggiunto.error();
    if (*aggiunto > max_registro) {
        if (const auto perche = accorcia(percorso)) {
            nota = platform::Note{percorso, "past " + std::to_string(max_registro / 1024 / 1024) +
                                                " MiB, and it could not be cut down: " + *perche};
        }
    }
    return nota;
}

}  // namespace ftes
