/* SPDX-License-Identifier: MIT */
/* A stand-in, under Wine, for the Windows tools the installer calls: copied as schtasks.exe,
 * icacls.exe and net.exe into a folder put first on the PATH, it does what its name says only
 * so far as the test needs. Every call adds its command line, as UTF-8, to the file named by
 * FTES_REGISTRO and succeeds, but net when FTES_NON_AMMINISTRATORE is set (not an
 * administrator). schtasks keeps a copy of the definition given with /xml, named after the
 * task, in the folder named by FTES_DEFINIZIONI (Wine's own schtasks drops most of a
 * definition). icacls asked for a folder's ACL tells of the entry the calls written down have
 * left there, if any. The test plays the Task Scheduler service: it starts a task's program
 * when it reads /run. */
#include <windows.h>
/* windows.h first: shellapi.h needs what it declares. */
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void in_utf8(FILE* f, const wchar_t* testo) {
    char buffer[8192];
    const int n = WideCharToMultiByte(CP_UTF8, 0, testo, -1, buffer, sizeof buffer, NULL, NULL);
    if (n > 0) fputs(buffer, f);
}

/* The name this program was started as: "schtasks", "icacls" or "net". */
static int nome_e(const wchar_t* nome) {
    wchar_t percorso[MAX_PATH];
    GetModuleFileNameW(NULL, percorso, MAX_PATH);
    const wchar_t* base = wcsrchr(percorso, L'\\');
    base = base ? base + 1 : percorso;
    return _wcsnicmp(base, nome, wcslen(nome)) == 0 && base[wcslen(nome)] == L'.';
}

/* icacls PATH: the entry of the last grant or removal written down for PATH. */
static void acl(const wchar_t* registro, const wchar_t* cartella) {
    FILE* f = _wfopen(registro, L"rb");
    if (f == NULL) return;
    static wchar_t concesso[1024];
    concesso[0] = 0;
    char riga[8192];
    while (fgets(riga, sizeof riga, f) != NULL) {
        wchar_t larga[8192];
        if (MultiByteToWideChar(CP_UTF8, 0, riga, -1, larga, 8192) == 0) continue;
        int n = 0;
        wchar_t** parole = CommandLineToArgvW(larga, &n);
        if (parole == NULL) continue;
        const wchar_t* programma = wcsrchr(parole[0], L'\\');
        programma = programma ? programma + 1 : parole[0];
        if (n >= 3 && _wcsnicmp(programma, L"icacls", 6) == 0 &&
            _wcsicmp(parole[1], cartella) == 0) {
            if (_wcsicmp(parole[2], L"/grant") == 0 && n >= 4) {
                wcsncpy(concesso, parole[3], 1023);
            } else if (_wcsicmp(parole[2], L"/remove:g") == 0) {
                concesso[0] = 0;
            }
        }
        LocalFree(parole);
    }
    fclose(f);
    if (concesso[0] == 0) return;
    wchar_t* due_punti = wcschr(concesso, L':');
    if (due_punti == NULL) return;
    *due_punti = 0;
    const wchar_t* chi =
        wcscmp(concesso, L"*S-1-5-19") == 0 ? L"NT AUTHORITY\\LOCAL SERVICE" : concesso;
    wprintf(L"%ls %ls:%ls\n", cartella, chi, due_punti + 1);
}

int wmain(int argc, wchar_t** argv) {
    const wchar_t* registro = _wgetenv(L"FTES_REGISTRO");
    if (registro != NULL) {
        FILE* f = _wfopen(registro, L"ab");
        if (f != NULL) {
            in_utf8(f, GetCommandLineW());
            fputs("\r\n", f);
            fclose(f);
        }
    }
    if (nome_e(L"net")) {
        const wchar_t* non = _wgetenv(L"FTES_NON_AMMINISTRATORE");
        return non != NULL && non[0] != 0 ? 2 : 0;
    }
    if (nome_e(L"icacls")) {
        if (argc == 2 && registro != NULL) acl(registro, argv[1]);
        return 0;
    }
    const wchar_t* definizioni = _wgetenv(L"FTES_DEFINIZIONI");
    const wchar_t *nome = NULL, *xml = NULL;
    for (int i = 1; i + 1 < argc; ++i) {
        if (_wcsicmp(argv[i], L"/tn") == 0) nome = argv[i + 1];
        if (_wcsicmp(argv[i], L"/xml") == 0) xml = argv[i + 1];
    }
    if (definizioni != NULL && nome != NULL && xml != NULL) {
        wchar_t copia[MAX_PATH];
        swprintf(copia, MAX_PATH, L"%ls\\%ls.xml", definizioni, nome);
        if (!CopyFileW(xml, copia, FALSE)) return 1;
    }
    return 0;
}
