// SPDX-License-Identifier: MIT
// The Windows program as a station's Windows PC runs it: a varnel.ini with drive-letter folders
// ending in a backslash, CR LF lines, spaces and a non-ASCII letter in the folder names, saved
// in UTF-8 or in the ANSI code page as the replaced program's varnel.ini was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "support/gif.h"
#include "support/stazione_di_prova.h"

namespace ftes {
namespace {

namespace fs = std::filesystem;

// The text in the ANSI code page, or nothing when it has a letter the code page lacks.
std::optional<std::string> in_ansi(const std::string& utf8) {
    const std::wstring wide = test::percorso_utf8(utf8).wstring();
    BOOL perso = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                      static_cast<int>(wide.size()), nullptr, 0, nullptr, &perso);
    std::string ansi(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        ansi.data(), n, nullptr, &perso);
    if (perso) return std::nullopt;
    return ansi;
}

// The text as Notepad saves it as "Unicode": UTF-16 little-endian after a byte-order mark.
std::string in_utf16(const std::string& utf8) {
    const std::wstring wide = test::percorso_utf8(utf8).wstring();
    std::string byte = "\xFF\xFE";
    for (const wchar_t c : wide) {
        byte += static_cast<char>(c & 0xFF);
        byte += static_cast<char>(c >> 8 & 0xFF);
    }
    return byte;
}

class StazioneWindows : public ::testing::Test {
  protected:
    StazioneWindows() {
        // Under Wine the host's root is drive Z:, as a station's folders are on their drive.
        fs::path radice = "Z:\\tmp";
        if (!fs::is_directory(radice)) radice = fs::temp_directory_path();
        std::random_device caso;
        cartella_ = radice / ("ftes-win-" + std::to_string(caso()));
        stazione_ = cartella_ / test::percorso_utf8("Stazione \xC3\xA8");  // è
        web_ = cartella_ / test::percorso_utf8("Pubblicazione \xC3\xA8") / "web";
        // The demo station, then its folders moved under names with a space and an è.
        const fs::path demo = cartella_ / "demo";
        fs::create_directories(cartella_);
        EXPECT_EQ(
            test::esegui_programma(FTES_DEMO, {demo.string(), "--date", "2025-01-05"}, cartella_)
                .stato,
            0);
        test::copia_cartella(demo / "base", stazione_ / "base");
        test::copia_cartella(demo / "data", stazione_ / test::percorso_utf8("dati sondaggi"));
        fs::create_directories(web_);
    }
    ~StazioneWindows() override {
        std::error_code ec;
        fs::remove_all(cartella_, ec);
    }
    static std::string testo(const fs::path& p) {
        const std::u8string u = p.u8string();
        return std::string(u.begin(), u.end());
    }
    // varnel.ini in UTF-8 with the folders of the station, separated by sep.
    std::string varnel(char sep) const {
        std::string s =
            "\xEF\xBB\xBF"
            "Cartella base\r\n" +
            testo(stazione_ / "base") + "\\\r\n" + "Sondaggi della stazione\r\n" +
            testo(stazione_ / test::percorso_utf8("dati sondaggi")) +
            "\\\r\nGrafici per il web\r\n" + testo(web_) + "\\\r\n";
        if (sep == '/') std::replace(s.begin(), s.end(), '\\', '/');
        return s;
    }
    void scrivi_varnel(const std::string& byte) const {
        std::ofstream(stazione_ / "varnel.ini", std::ios::binary) << byte;
    }
    test::Esito esegui(const std::vector<std::string>& argomenti) const {
        return test::esegui_programma(FTES_BINARY, argomenti, stazione_);
    }
    // The six current charts decode and show the demo's values; six archive copies; no BMP.
    void controlla_pubblicazione() const {
        for (int slot = 1; slot <= 6; ++slot) {
            const auto gif =
                test::decodifica_gif(testo(web_ / ("plotftEs" + std::to_string(slot) + ".gif")));
            ASSERT_TRUE(gif) << slot;
            EXPECT_EQ(gif->larghezza, 286);
            int rossi = 0;
            for (const auto& p : gif->pixel) rossi += p == canvas::Rgb{255, 0, 0};
            EXPECT_GT(rossi, 500) << slot;
        }
        int archivi = 0, bmp = 0;
        for (const auto& f : fs::directory_iterator(stazione_ / "base" / "previous_ftEs_plots")) {
            archivi += test::decodifica_gif(testo(f.path())).has_value();
        }
        for (const auto& f : fs::directory_iterator(stazione_ / "base")) {
            bmp += f.path().extension() == ".bmp";
        }
        EXPECT_EQ(archivi, 6);
        EXPECT_EQ(bmp, 0);
    }
    void svuota() const {
        fs::remove_all(web_);
        fs::create_directories(web_);
        fs::remove_all(stazione_ / "base" / "previous_ftEs_plots");
        fs::create_directories(stazione_ / "base" / "previous_ftEs_plots");
    }
    fs::path cartella_, stazione_, web_;
};

TEST_F(StazioneWindows, AVarnelIniInUtf8InTheAnsiCodePageInUtf16OrWithSlashes) {
    struct Caso {
        std::string nome;
        std::optional<std::string> byte;
    };
    const Caso casi[] = {
        {"UTF-8 with backslashes", varnel('\\')},
        {"ANSI code page", in_ansi(varnel('\\').substr(3))},
        {"UTF-8 with forward slashes", varnel('/')},
        {"UTF-16 (Notepad's Unicode)", in_utf16(varnel('\\').substr(3))},
    };
    for (const Caso& c : casi) {
        if (!c.byte) {
            ADD_FAILURE() << c.nome << ": the ANSI code page " << GetACP() << " lacks the letter";
            continue;
        }
        svuota();
        scrivi_varnel(*c.byte);
        const test::Esito e = esegui({"--date", "2025-01-05", "--verbose"});
        EXPECT_EQ(e.stato, 0) << c.nome << "\n" << e.err;
        EXPECT_EQ(std::count(e.err.begin(), e.err.end(), '\n'), 6) << c.nome << "\n" << e.err;
        EXPECT_NE(e.err.find("05/01/2025 plotftEs6.gif: "), std::string::npos) << e.err;
        controlla_pubblicazione();
    }
}

TEST_F(StazioneWindows, SilentByDefaultAndTheOptionsAsOnLinux) {
    scrivi_varnel(varnel('\\'));
    const test::Esito e = esegui({"--date", "2025-01-05"});
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.out + e.err, "");
    controlla_pubblicazione();

    const test::Esito aiuto = esegui({"--help"});
    EXPECT_EQ(aiuto.stato, 0);
    EXPECT_NE(aiuto.out.find("usage: ftes-charts"), std::string::npos);

    svuota();
    // A usage error: its one line and the ways to the help, /? among them.
    for (const std::vector<std::string>& sbagliati :
         {std::vector<std::string>{"--bogus"}, {"--date", "2025-02-30"}, {"--backfill"}}) {
        const test::Esito errore = esegui(sbagliati);
        EXPECT_EQ(errore.stato, 2);
        std::string detto = errore.err;
        std::erase(detto, '\r');
        EXPECT_TRUE(detto.ends_with("\ntry 'ftes-charts --help' or 'ftes-charts /?'\n")) << detto;
        EXPECT_EQ(std::count(detto.begin(), detto.end(), '\n'), 2) << detto;
    }
    EXPECT_TRUE(esegui({"/?"}).out.starts_with("usage: ftes-charts"));
    EXPECT_TRUE(fs::is_empty(web_));
    EXPECT_TRUE(fs::is_empty(stazione_ / "base" / "previous_ftEs_plots"));

    const test::Esito recupero = esegui({"--backfill", "2025-01-01..2025-01-05"});
    EXPECT_EQ(recupero.stato, 0);
    EXPECT_TRUE(fs::is_empty(web_));
    EXPECT_TRUE(fs::exists(stazione_ / "base" / "previous_ftEs_plots" / "2025001.gif"));
}

TEST_F(StazioneWindows, ASoundingLockedByAnotherProgramIsToldInWindowsOwnWordsWithStatusThree) {
    scrivi_varnel(varnel('\\'));
    ASSERT_EQ(esegui({"--date", "2025-01-05"}).stato, 0);
    fs::path sondaggio;
    for (const auto& f : fs::directory_iterator(stazione_ / test::percorso_utf8("dati sondaggi"))) {
        if (f.path().filename().string().starts_with("CN12A_2025005")) sondaggio = f.path();
    }
    ASSERT_FALSE(sondaggio.empty());
    const auto archivio =
        test::leggi_file(stazione_ / "base" / "previous_ftEs_plots" / "2025005.gif");
    // Opened without sharing, or locked by range as a sounder's program may while it writes.
    // Wine lets a reader through a range that another process locked, as Windows does not:
    // there the range lock is left out.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    for (const bool intervallo : {false, true}) {
        if (intervallo && wine) continue;
        SCOPED_TRACE(intervallo ? "locked by range" : "opened without sharing");
        const HANDLE altro =
            CreateFileW(sondaggio.c_str(), GENERIC_READ, intervallo ? FILE_SHARE_READ : 0, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(altro, INVALID_HANDLE_VALUE);
        OVERLAPPED tutto{};
        if (intervallo) {
            ASSERT_TRUE(LockFileEx(altro, LOCKFILE_EXCLUSIVE_LOCK, 0, 1 << 20, 0, &tutto));
        }
        const test::Esito e = esegui({"--date", "2025-01-05", "--verbose"});
        CloseHandle(altro);
        EXPECT_EQ(e.stato, 3) << e.err;
        const std::string detto =
            intervallo ? ": cannot read: " + test::testo_errore_sistema(ERROR_LOCK_VIOLATION)
                       : ": cannot open: " + test::testo_errore_sistema(ERROR_SHARING_VIOLATION);
        EXPECT_NE(e.err.find(testo(sondaggio) + detto + "; skipped"), std::string::npos) << e.err;
        EXPECT_NE(e.err.find(" 1 unreadable, forecast drawn, published, archive copy kept"),
                  std::string::npos)
            << e.err;
        EXPECT_EQ(test::leggi_file(stazione_ / "base" / "previous_ftEs_plots" / "2025005.gif"),
                  archivio);
    }
}

// A file held open by another program, shared with no one, as an editor or a viewer may.
class Tenuto {
  public:
    explicit Tenuto(const fs::path& p)
        : h_(CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~Tenuto() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Tenuto(const Tenuto&) = delete;
    Tenuto& operator=(const Tenuto&) = delete;
    bool aperto() const { return h_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE h_;
};

TEST_F(StazioneWindows, AFileHeldByAnotherProgramIsToldWithTheProgramToClose) {
    scrivi_varnel(varnel('\\'));
    {
        // varnel.ini held: nothing is written, and the fix is to close that program.
        const Tenuto editor(stazione_ / "varnel.ini");
        ASSERT_TRUE(editor.aperto());
        const test::Esito e = esegui({"--date", "2025-01-05"});
        EXPECT_EQ(e.stato, 1);
        EXPECT_NE(e.err.find(test::testo_errore_sistema(ERROR_SHARING_VIOLATION) +
                             "; nothing written (close the program that holds it)"),
                  std::string::npos)
            << e.err;
        const test::Esito c = esegui({"--check", "--date", "2025-01-05"});
        EXPECT_EQ(c.stato, 1);
        EXPECT_NE(c.out.find("fix: close the program that holds it"), std::string::npos) << c.out;
        EXPECT_TRUE(fs::is_empty(web_));
    }
    {
        // The log held by a viewer: tried again for a few seconds, then told on stderr; the
        // run publishes all the same, with its own status.
        const Tenuto viewer(stazione_ / "ftes-charts.log");
        ASSERT_TRUE(viewer.aperto());
        const auto prima = GetTickCount64();
        const test::Esito e = esegui({"--date", "2025-01-05", "--log", "ftes-charts.log"});
        EXPECT_EQ(e.stato, 0) << e.err;
        EXPECT_GE(GetTickCount64() - prima, 2500u);
        EXPECT_NE(e.err.find("ftes-charts: log: ftes-charts.log: cannot write: " +
                             test::testo_errore_sistema(ERROR_SHARING_VIOLATION) +
                             "; close the program that holds it"),
                  std::string::npos)
            << e.err;
        controlla_pubblicazione();
    }
    // Once the viewer is closed the log takes the next runs again.
    ASSERT_EQ(esegui({"--date", "2025-01-05", "--log", "ftes-charts.log"}).stato, 0);
    EXPECT_NE(test::leggi_file(stazione_ / "ftes-charts.log").find(": exit status 0"),
              std::string::npos);
}

TEST_F(StazioneWindows, AReadOnlyAttributeOnAFolderIsNoProblem) {
    // Windows ignores the attribute on a folder: a run writes there, and the check says so.
    scrivi_varnel(varnel('\\'));
    ASSERT_TRUE(SetFileAttributesW(web_.c_str(), FILE_ATTRIBUTE_READONLY));
    const test::Esito c = esegui({"--check", "--date", "2025-01-05"});
    EXPECT_EQ(c.stato, 0) << c.out;
    EXPECT_NE(c.out.find("no problem found"), std::string::npos) << c.out;
    EXPECT_EQ(esegui({"--date", "2025-01-05"}).stato, 0);
    controlla_pubblicazione();
    SetFileAttributesW(web_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ProgrammaWindows, CarriesItsVersionItsLicenceAndItsIcon) {
    const std::wstring exe = test::percorso_utf8(FTES_BINARY).wstring();
    DWORD inutile = 0;
    const DWORD dimensione = GetFileVersionInfoSizeW(exe.c_str(), &inutile);
    ASSERT_GT(dimensione, 0u);
    std::vector<char> dati(dimensione);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, dimensione, dati.data()));
    const auto valore = [&](const wchar_t* nome) {
        wchar_t* testo = nullptr;
        UINT n = 0;
        const std::wstring chiave = std::wstring(L"\\StringFileInfo\\040904B0\\") + nome;
        if (!VerQueryValueW(dati.data(), chiave.c_str(), reinterpret_cast<void**>(&testo), &n)) {
            return std::wstring();
        }
        return std::wstring(testo, n > 0 ? n - 1 : 0);
    };
    const std::string versione = FTES_VERSION;
    EXPECT_EQ(valore(L"ProductVersion"), std::wstring(versione.begin(), versione.end()));
    EXPECT_EQ(valore(L"FileVersion"), std::wstring(versione.begin(), versione.end()));
    EXPECT_EQ(valore(L"ProductName"), L"ftes-charts");
    EXPECT_NE(valore(L"LegalCopyright").find(L"MIT"), std::wstring::npos);
    const HMODULE modulo = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(modulo, nullptr);
    EXPECT_NE(FindResourceW(modulo, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr)
        << "no icon group";  // RT_GROUP_ICON
    FreeLibrary(modulo);
}

}  // namespace
}  // namespace ftes
