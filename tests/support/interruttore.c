/* SPDX-License-Identifier: MIT */
/* A run killed at a chosen moment, or one call of it failed, for tests: loaded into ftes-charts
 * with LD_PRELOAD, it counts the calls of one file-system function and kills the process with
 * SIGKILL just before the call numbered in FTES_UCCIDI, as in FTES_UCCIDI=rename:5; or it fails
 * the renames to a name that ends as FTES_GUASTO says, with its error number, as in
 * FTES_GUASTO=rename:plotftEs.json:28 (a name that no path filter can know beforehand, as a
 * temporary's is, is renamed to one it can). Nothing else changes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static void forse_uccidi(const char* nome) {
    static long contati = 0;
    const char* quale = getenv("FTES_UCCIDI");
    if (quale == NULL) return;
    const char* due_punti = strchr(quale, ':');
    if (due_punti == NULL || strncmp(quale, nome, (size_t)(due_punti - quale)) != 0 ||
        nome[due_punti - quale] != 0) {
        return;
    }
    if (++contati == atol(due_punti + 1)) kill(getpid(), SIGKILL);
}

/* Whether FTES_GUASTO fails this call of the function nome on the path. */
static int guasto(const char* nome, const char* percorso) {
    const char* quale = getenv("FTES_GUASTO");
    if (quale == NULL) return 0;
    const char* primo = strchr(quale, ':');
    const char* secondo = primo == NULL ? NULL : strchr(primo + 1, ':');
    if (secondo == NULL || strncmp(quale, nome, (size_t)(primo - quale)) != 0 ||
        nome[primo - quale] != 0) {
        return 0;
    }
    const size_t fine = (size_t)(secondo - primo - 1), lunghezza = strlen(percorso);
    if (lunghezza < fine || strncmp(percorso + lunghezza - fine, primo + 1, fine) != 0) return 0;
    errno = atoi(secondo + 1);
    return 1;
}

/* The C library's own function of that name (POSIX lets dlsym's pointer be one to a function). */
static void vero_da(void* dove, size_t quanto, const char* nome) {
    void* simbolo = dlsym(RTLD_NEXT, nome);
    memcpy(dove, &simbolo, quanto);
}

#define PRESO(tipo, nome, parametri, argomenti)               \
    tipo nome parametri {                                     \
        static tipo(*vero) parametri = NULL;                  \
        if (vero == NULL) vero_da(&vero, sizeof vero, #nome); \
        forse_uccidi(#nome);                                  \
        return vero argomenti;                                \
    }

PRESO(ssize_t, write, (int fd, const void* dati, size_t n), (fd, dati, n))
int rename(const char* da, const char* a) {
    static int (*vero)(const char*, const char*) = NULL;
    if (vero == NULL) vero_da(&vero, sizeof vero, "rename");
    forse_uccidi("rename");
    if (guasto("rename", a)) return -1;
    return vero(da, a);
}
PRESO(int, unlink, (const char* p), (p))
PRESO(int, fdatasync, (int fd), (fd))
PRESO(int, fsync, (int fd), (fd))
PRESO(int, close, (int fd), (fd))
PRESO(int, flock, (int fd, int op), (fd, op))

/* open and open64 take a mode only when they create a file. */
#define APRI(nome)                                            \
    int nome(const char* p, int flag, ...) {                  \
        static int (*vero)(const char*, int, ...) = NULL;     \
        if (vero == NULL) vero_da(&vero, sizeof vero, #nome); \
        mode_t modo = 0;                                      \
        if (flag & O_CREAT) {                                 \
            va_list a;                                        \
            va_start(a, flag);                                \
            modo = va_arg(a, mode_t);                         \
            va_end(a);                                        \
        }                                                     \
        forse_uccidi("open");                                 \
        return vero(p, flag, modo);                           \
    }
APRI(open)
APRI(open64)
