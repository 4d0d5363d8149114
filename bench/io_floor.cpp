// ftes-io-floor: the file-system work of one batch run and nothing else, as the least a run can
// cost. Run in a station folder, with the same six days as ftes-charts --date:
//   ftes-io-floor YYYY-MM-DD
// It reads varnel.ini, and for each of the six days lists the data folder up to its first file
// and reads that file's first line, reads the forecast file, tries the 1440 sounding names of a
// kind-2 station and reads the found ones, writes and deletes a BMP of the chart's size and
// writes two GIF-sized files through a temporary name. No drawing, no parsing, no encoding.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;

char buffer[16 * 1024];

// Reads the start of a file (sounding and forecast files are far smaller than the buffer).
bool read_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n >= 0;
}

bool write_file(const std::string& path, std::size_t size) {
    static const std::vector<char> bytes(300 * 1024, 'x');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes.data(), size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && ok;
}

std::string line(const char* text, std::size_t n) {
    const std::size_t end = std::strcspn(text, "\r\n");
    return std::string(text, std::min(end, n));
}

}  // namespace

int main(int argc, char** argv) {
    int y = 0, m = 0, d = 0;
    if (argc != 2 || std::sscanf(argv[1], "%d-%d-%d", &y, &m, &d) != 3) {
        std::fprintf(stderr, "usage: ftes-io-floor YYYY-MM-DD\n");
        return 2;
    }
    // varnel.ini: base on line 2, data on line 4, charts on line 6.
    std::string base, data, web;
    if (read_file("varnel.ini")) {
        std::vector<std::string> lines;
        const char* p = buffer;
        for (int i = 0; i < 6; ++i) {
            lines.push_back(line(p, 4096));
            p += lines.back().size();
            while (*p == '\r' || *p == '\n') ++p;
        }
        base = lines[1];
        data = lines[3];
        web = lines[5];
        for (std::string* s : {&base, &data, &web}) {
            for (char& c : *s) c = c == '\\' ? '/' : c;
        }
    }
    const sys_days today = sys_days{year_month_day{year{y}, month{unsigned(m)}, day{unsigned(d)}}};
    long found = 0;
    for (int slot = 1; slot <= 6; ++slot) {
        const year_month_day ymd{today + days{slot - 6}};
        const int yy = int(ymd.year());
        const unsigned mm = unsigned(ymd.month());
        const int doy =
            (sys_days{ymd} - sys_days{year_month_day{ymd.year(), January, day{1}}}).count() + 1;
        if (DIR* dir = ::opendir(data.empty() ? "." : data.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                if (e->d_name[0] == '.') continue;
                read_file(data + e->d_name);
                break;
            }
            ::closedir(dir);
        }
        char name[128];
        std::snprintf(name, sizeof name, "%02u%04d.txt", mm, yy);
        read_file(base + name);
        for (int hour = 0; hour < 24; ++hour) {
            for (int minute = 1; minute <= 60; ++minute) {
                std::snprintf(name, sizeof name, "CN12A_%04d%03d%02d%02d.TXT", yy, doy, hour,
                              minute % 60);
                found += read_file(data + name);
            }
        }
        const std::string bmp = base + "grafico" + std::to_string(slot) + ".bmp";
        write_file(bmp, 286 * 231 * 3 + 54 + 231 * 2);
        ::unlink(bmp.c_str());
        std::snprintf(name, sizeof name, "%04d%03d.gif", yy, doy);
        const std::string gifs[] = {web + "plotftEs" + std::to_string(slot) + ".gif",
                                    base + "previous_ftEs_plots/" + name};
        for (const std::string& gif : gifs) {
            const std::string temp = gif + ".tmp";
            write_file(temp, 3000);
            ::rename(temp.c_str(), gif.c_str());
        }
    }
    return found > 0 ? 0 : 1;
}
