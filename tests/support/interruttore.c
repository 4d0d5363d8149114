/* SPDX-License-Identifier: MIT */
/* A run killed at a chosen moment, for tests: loaded into ftes-charts with LD_PRELOAD, it counts
 * the calls of one file-system function and kills the process with SIGKILL just before the
 * call numbered in FTES_UCCIDI, as in FTES_UCCIDI=rename:5. Nothing else changes. */
#define _GNU_SOURCE
#include <dlfcn.h>
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
PRESO(int, rename, (const char* da, const char* a), (da, a))
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
