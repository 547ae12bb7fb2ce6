#include "platform/folder_walk.hpp"

namespace platform {

void name_failed_folder(FileOutcome& outcome, const std::string& folder,
                        const std::function<PathKind(const std::string&)>& kind_of) {
    if (outcome.error != FileError::folder_missing) return;
    for (std::size_t end = folder.find(path_separator());; end = folder.find(path_separator(), end + 1)) {
        const std::string part = folder.substr(0, end);
        switch (kind_of(part)) {
            case PathKind::folder: break;
            case PathKind::missing: outcome.missing_folder = part; return;
            case PathKind::not_a_folder:
                outcome.error = FileError::folder_is_a_file;
                outcome.not_a_folder = part;
                return;
            case PathKind::unknown: return;
        }
        if (end == std::string::npos) return;
    }
}

}  // namespace platform
