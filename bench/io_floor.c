/* SPDX-License-Identifier: MIT */
/* ftes-io-floor: the file-system calls of one batch run and nothing else, as the least a run
 * can cost. Written in C so that no C++ runtime is loaded or started. Run in a station folder,
 * with the same six days as ftes-charts --date:
 *   ftes-io-floor YYYY-MM-DD [--no-flush]
 * The calls, in the batch's order: the current directory, varnel.ini read, the run's turn (the
 * lock files of the base and web folders opened, and locked while the locks on their folders,
 * the bells, are held); the data folder listed up to its first file and that file's first read,
 * once; the base, archive and web folders listed for what a killed run left; then for each of
 * the six days the forecast file, the 1440 sounding names of a kind-2 station tried and the
 * found ones read once, the BMP created under a name of the run's own, written, read back and
 * removed, the current GIF written under its temporary name with a lock and renamed over the
 * target, the archive copy looked at, the table of the day's values written beside it (not
 * flushed), the month's index read (once a month) and written, and the archive GIF written like
 * the current one; the index and the archive are flushed before their
 * rename and their folder after it. Every file opened for reading is checked to be a regular
 * file, as the batch does to refuse devices and pipes. No drawing, no parsing beyond the folder
 * names, no encoding. With --no-flush neither is flushed, which tells what the flushes cost. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

enum { bmp_size = 54 + 4 * 7 + 288 * 231, gif_size = 3000, index_size = 800, csv_size = 9000 };
static const char mark[] = "0123456789abcdef";

static char buffer[8 * 1024];
static unsigned char picture[bmp_size + 1];
static char base[4096], data[4096], web[4096];

/* Opens a regular file for reading as the batch does; -1 for anything else. */
static int open_regular(const char* path, struct stat* st) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

/* One read of the start of a file, as the line reader makes for the few lines it needs. */
static int read_start(const char* path) {
    struct stat st;
    const int fd = open_regular(path, &st);
    if (fd < 0) return 0;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    return n >= 0;
}

/* Line n (from 0) of the text in buffer, with backslashes as slashes, into out. */
static void line_of(int n, char* out, size_t room) {
    const char* p = buffer;
    for (int i = 0; i < n && *p; ++i) {
        p += strcspn(p, "\r\n");
        if (*p == '\r') ++p;
        if (*p == '\n') ++p;
    }
    size_t len = strcspn(p, "\r\n");
    if (len >= room) len = room - 1;
    for (size_t i = 0; i < len; ++i) out[i] = p[i] == '\\' ? '/' : p[i];
    out[len] = 0;
}

static void write_fresh_bmp(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return;
    if (write(fd, picture, bmp_size) != bmp_size) perror("write");
    close(fd);
}

static void read_bmp(const char* path) {
    struct stat st;
    const int fd = open_regular(path, &st);
    if (fd < 0) return;
    size_t got = 0;
    ssize_t n;
    while ((n = read(fd, picture + got, sizeof picture - got)) > 0) got += (size_t)n;
    close(fd);
}

static void publish(const char* folder, const char* name, int size, int flushed) {
    char target[8192], temp[8192];
    snprintf(target, sizeof target, "%s%s", folder, name);
    snprintf(temp, sizeof temp, "%s.%s.%s.tmp", folder, name, mark);
    const int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return;
    flock(fd, LOCK_EX | LOCK_NB);
    if (write(fd, picture, (size_t)size) != size) perror("write");
    if (flushed) fdatasync(fd);
    rename(temp, target);
    close(fd);
    if (flushed) {
        const int dir = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        fsync(dir);
        close(dir);
    }
}

/* Every entry of a folder, as a sweep for leftovers looks at them. */
static void list_all(const char* folder) {
    DIR* dir = opendir(folder[0] ? folder : ".");
    if (!dir) return;
    while (readdir(dir) != NULL) {
    }
    closedir(dir);
}

/* A folder's turn file, opened (made when missing) with its folder for the bell. */
static void open_turn(const char* folder, int* file, int* bell) {
    char path[8192];
    snprintf(path, sizeof path, "%s.ftes-charts.lock", folder);
    *file = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st;
    if (*file >= 0) fstat(*file, &st);
    *bell = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

static int leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int main(int argc, char** argv) {
    int y = 0, m = 0, d = 0;
    const int flush = !(argc == 3 && strcmp(argv[2], "--no-flush") == 0);
    if (argc < 2 || argc > 3 || (argc == 3 && flush) ||
        sscanf(argv[1], "%d-%d-%d", &y, &m, &d) != 3) {
        fprintf(stderr, "usage: ftes-io-floor YYYY-MM-DD [--no-flush]\n");
        return 2;
    }
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return 1;
    char ini[8192];
    snprintf(ini, sizeof ini, "%s/varnel.ini", cwd);
    if (read_start(ini)) {
        line_of(1, base, sizeof base);
        line_of(3, data, sizeof data);
        line_of(5, web, sizeof web);
    }
    /* The run's turn: the bells rung while the turn files are locked. */
    int turn[2], bell[2];
    open_turn(base, &turn[0], &bell[0]);
    open_turn(web, &turn[1], &bell[1]);
    for (int i = 0; i < 2; ++i) {
        if (bell[i] >= 0) flock(bell[i], LOCK_EX | LOCK_NB);
    }
    for (int i = 0; i < 2; ++i) {
        if (turn[i] >= 0) flock(turn[i], LOCK_EX | LOCK_NB);
    }
    for (int i = 0; i < 2; ++i) {
        if (bell[i] >= 0) flock(bell[i], LOCK_UN);
    }
    char name[2 * 8192];
    /* The station, once: the data folder listed up to its first file, and that file's start. */
    DIR* dir = opendir(data[0] ? data : ".");
    if (dir) {
        const struct dirent* e;
        while ((e = readdir(dir)) != NULL) {
            if (e->d_name[0] == '.' || e->d_type != DT_REG) continue;
            snprintf(name, sizeof name, "%s%s", data, e->d_name);
            read_start(name);
            break;
        }
        closedir(dir);
    }
    char archive[8192];
    snprintf(archive, sizeof archive, "%sprevious_ftEs_plots/", base);
    list_all(base);
    list_all(archive);
    list_all(web);
    static const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int doy = d;
    for (int i = 0; i < m - 1; ++i) doy += month_days[i] + (i == 1 && leap(y));
    long found = 0;
    for (int slot = 1; slot <= 6; ++slot) {
        /* The slot's day, counted back from the given one. */
        int yy = y, dd = doy - (6 - slot);
        if (dd < 1) dd += 365 + leap(--yy);
        int mm = 1, left = dd;
        while (left > month_days[mm - 1] + (mm == 2 && leap(yy)))
            left -= month_days[mm - 1] + (mm == 2 && leap(yy)), ++mm;
        snprintf(name, sizeof name, "%s%02d%04d.txt", base, mm, yy);
        read_start(name);
        for (int hour = 0; hour < 24; ++hour) {
            for (int minute = 1; minute <= 60; ++minute) {
                snprintf(name, sizeof name, "%sCN12A_%04d%03d%02d%02d.TXT", data, yy, dd, hour,
                         minute % 60);
                found += read_start(name);
            }
        }
        snprintf(name, sizeof name, "%sgrafico%d.%s.bmp", base, slot, mark);
        write_fresh_bmp(name);
        read_bmp(name);
        char gif[64];
        snprintf(gif, sizeof gif, "plotftEs%d.gif", slot);
        publish(web, gif, gif_size, 0);
        /* The archive copy looked at, the month's index read once and written, then the copy. */
        char index[64];
        snprintf(gif, sizeof gif, "%04d%03d.gif", yy, dd);
        snprintf(index, sizeof index, "%04d-%02d.json", yy, mm);
        snprintf(name, sizeof name, "%s%s", archive, gif);
        struct stat st;
        lstat(name, &st);
        static char last_index[64];
        if (strcmp(index, last_index) != 0) {
            snprintf(name, sizeof name, "%s%s", archive, index);
            const int fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                if (fstat(fd, &st) == 0 && read(fd, buffer, sizeof buffer) < 0) perror("read");
                close(fd);
            }
            strcpy(last_index, index);
        }
        /* The table of the day's values beside the copy, then the index, then the copy. */
        char csv[64];
        snprintf(csv, sizeof csv, "%04d%03d.csv", yy, dd);
        publish(archive, csv, csv_size, 0);
        publish(archive, index, index_size, flush);
        publish(archive, gif, gif_size, flush);
        snprintf(name, sizeof name, "%sgrafico%d.%s.bmp", base, slot, mark);
        unlink(name);
    }
    for (int i = 0; i < 2; ++i) {
        if (bell[i] >= 0) close(bell[i]);
        if (turn[i] >= 0) close(turn[i]);
    }
    return found > 0 ? 0 : 1;
}
