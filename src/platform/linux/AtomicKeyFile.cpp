#include "platform/linux/AtomicKeyFile.h"

bool SaveKeyFileAtomically(const std::string& path, GKeyFile* file, mode_t mode) {
    gsize length = 0;
    char* data = g_key_file_to_data(file, &length, nullptr);
    char* dir = g_path_get_dirname(path.c_str());
    bool ok = g_mkdir_with_parents(dir, 0700) == 0;
    g_free(dir);
    ok = ok &&
         g_file_set_contents_full(path.c_str(), data, static_cast<gssize>(length),
                                  static_cast<GFileSetContentsFlags>(
                                      G_FILE_SET_CONTENTS_CONSISTENT | G_FILE_SET_CONTENTS_DURABLE),
                                  static_cast<int>(mode), nullptr);
    g_free(data);
    return ok;
}
