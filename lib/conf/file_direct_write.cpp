// Creating a new file and appending to an existing one in place.
#include "conf/file_direct_write.h"

#include <stdio_ext.h>
#include <sys/types.h>
#include <unistd.h>

#include "core/err_internal.h"
#include "core/raii.h"

namespace vorl {

bool CreateFileWith(const char *szPath, std::string_view text, bool fSync) {
    UniqueFile fp(fopen(szPath, "w"));
    if (!fp) {
        VORL_ERR(ERR_OPEN_FAILED);
        return false;
    }
    bool ok = fwrite(text.data(), 1, text.size(), fp.get()) == text.size() &&
              fflush(fp.get()) == 0 && (!fSync || fsync(fileno(fp.get())) == 0);
    if (!ok) __fpurge(fp.get());
    ok = Fclose(fp) == 0 && ok;
    if (!ok) {
        unlink(szPath);
        VORL_ERR(ERR_WRITE_FAILED);
    }
    return ok;
}

bool AppendInPlace(FILE *fp, const std::function<bool(FILE *)> &write) {
    int fd = fileno(fp);
    if (fseeko(fp, 0, SEEK_END) != 0) {
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    off_t cbOld = ftello(fp);
    char last = '\n';
    if (cbOld < 0 || (cbOld > 0 && pread(fd, &last, 1, cbOld - 1) != 1)) {
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    bool ok = true;
    if (last != '\n' && fputc('\n', fp) == EOF) {
        VORL_ERR(ERR_WRITE_FAILED);
        ok = false;
    }
    ok = ok && write(fp);
    if (ok && (fflush(fp) != 0 || fsync(fd) != 0)) {
        VORL_ERR(ERR_WRITE_FAILED);
        ok = false;
    }
    if (!ok) {
        // Whatever reached the file goes again; nothing buffered follows it.
        __fpurge(fp);
        if (ftruncate(fd, cbOld) == 0) fsync(fd);
    }
    return ok;
}

}  // namespace vorl
