// SPDX-License-Identifier: MIT
#include "support/processo.h"

#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/cartella_temporanea.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ftes::test {

namespace fs = std::filesystem;

#ifdef _WIN32

std::string testo_errore_sistema(int codice) {
    wchar_t* testo = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(codice), 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
    std::wstring w = n > 0 && testo != nullptr ? std::wstring(testo, n) : std::wstring();
    if (testo != nullptr) LocalFree(testo);
    while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' || w.back() == L'.')) w.pop_back();
    const std::u8string u = fs::path(w).u8string();
    return std::string(u.begin(), u.end());
}

namespace {

// One argument as the C runtime of the called program splits its command line.
std::wstring quota(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
    std::wstring q = L"\"";
    std::size_t barre = 0;
    for (const wchar_t c : a) {
        if (c == L'\\') {
            ++barre;
            continue;
        }
        q.append(c == L'"' ? barre * 2 + 1 : barre, L'\\');
        barre = 0;
        q.push_back(c);
    }
    q.append(barre * 2, L'\\');
    return q + L"\"";
}

HANDLE file_ereditabile(const fs::path& p, bool scrittura) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(p.c_str(), scrittura ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       scrittura ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Esito esegui_programma(const fs::path& programma, const std::vector<std::string>& argomenti,
                       const fs::path& cartella, const std::vector<std::string>& ambiente,
                       std::chrono::seconds limite) {
    CartellaTemporanea uscite;
    const fs::path out = uscite.percorso() / "out", err = uscite.percorso() / "err",
                   nul = uscite.scrivi("in", "");
    std::wstring riga = quota(programma.wstring());
    for (const auto& a : argomenti) riga += L" " + quota(percorso_utf8(a).wstring());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = file_ereditabile(nul, false);
    si.hStdOutput = file_ereditabile(out, true);
    si.hStdError = file_ereditabile(err, true);
    PROCESS_INFORMATION pi{};
    Esito e;
    // The inherited environment with the added variables, as a block of UTF-16 texts.
    std::wstring blocco;
    if (!ambiente.empty()) {
        if (wchar_t* attuale = GetEnvironmentStringsW()) {
            for (const wchar_t* v = attuale; *v; v += wcslen(v) + 1) (blocco += v) += L'\0';
            FreeEnvironmentStringsW(attuale);
        }
        for (const auto& v : ambiente) (blocco += percorso_utf8(v).wstring()) += L'\0';
        blocco += L'\0';
    }
    // Wine now and then fails to start a process at all; a program that never started has done
    // nothing yet, so starting it is tried again, and the reason kept when it never starts.
    bool partito = false;
    DWORD errore_avvio = 0;
    for (int prova = 0; prova < 3 && !partito; ++prova) {
        if (prova > 0) Sleep(250);
        partito =
            CreateProcessW(nullptr, riga.data(), nullptr, nullptr, TRUE,
                           blocco.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                           blocco.empty() ? nullptr : blocco.data(), cartella.c_str(), &si, &pi);
        if (!partito) errore_avvio = GetLastError();
    }
    if (partito) {
        const DWORD ms = static_cast<DWORD>(limite.count() * 1000);
        if (WaitForSingleObject(pi.hProcess, ms) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 255);
            WaitForSingleObject(pi.hProcess, INFINITE);
            e.interrotto = true;
        }
        DWORD codice = 0;
        GetExitCodeProcess(pi.hProcess, &codice);
        e.stato = e.interrotto ? -1 : static_cast<int>(codice);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError}) CloseHandle(h);
    e.out = leggi_file(out);
    e.err = leggi_file(err);
    if (!partito) {
        e.err += "(the test could not start the program: " +
                 testo_errore_sistema(static_cast<int>(errore_avvio)) + ")\n";
    }
    return e;
}

std::optional<fs::path> trova_programma(const std::string&) {
    return std::nullopt;
}

#else

std::string testo_errore_sistema(int codice) {
    return std::strerror(codice);
}

Esito esegui_programma(const fs::path& programma, const std::vector<std::string>& argomenti,
                       const fs::path& cartella, const std::vector<std::string>& ambiente,
                       std::chrono::seconds limite) {
    CartellaTemporanea uscite;
    const fs::path out = uscite.percorso() / "out", err = uscite.percorso() / "err";
    std::vector<std::string> testi{programma.string()};
    testi.insert(testi.end(), argomenti.begin(), argomenti.end());
    std::vector<char*> argv;
    for (auto& t : testi) argv.push_back(t.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
            ::chdir(cartella.c_str()) != 0) {
            std::_Exit(126);
        }
        for (const std::string& v : ambiente) {
            const std::size_t uguale = v.find('=');
            ::setenv(v.substr(0, uguale).c_str(), v.substr(uguale + 1).c_str(), 1);
        }
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    Esito esito;
    if (pid < 0) return esito;
    const auto fine = std::chrono::steady_clock::now() + limite;
    int stato = 0;
    while (::waitpid(pid, &stato, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > fine) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &stato, 0);
            esito.interrotto = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    esito.stato = !esito.interrotto && WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
    esito.out = leggi_file(out);
    esito.err = leggi_file(err);
    return esito;
}

std::optional<fs::path> trova_programma(const std::string& nome) {
    const char* path = std::getenv("PATH");
    std::string resto = path ? path : "/usr/bin:/bin";
    while (!resto.empty()) {
        const std::size_t due_punti = resto.find(':');
        const fs::path p = fs::path(resto.substr(0, due_punti)) / nome;
        if (::access(p.c_str(), X_OK) == 0) return p;
        if (due_punti == std::string::npos) break;
        resto.erase(0, due_punti + 1);
    }
    return std::nullopt;
}

#endif

}  // namespace ftes::test
