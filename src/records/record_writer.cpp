#include "records/record_writer.hpp"

#include "console/output.hpp"
#include "platform/line_ends.hpp"
#include "records/bucket.hpp"
#include "records/record_name.hpp"

namespace records {
namespace {

std::string failure_reason(const platform::FileOutcome& outcome, const std::string& folder) {
    using platform::FileError;
    switch (outcome.error) {
        case FileError::folder_missing: return "no existe la carpeta " + folder;
        case FileError::access_denied: return "no hay permiso para escribir en la carpeta " + folder;
        case FileError::read_only: return "el disco es de solo lectura";
        case FileError::disk_full: return "no queda espacio en el disco";
        case FileError::name_too_long: return "el nombre es demasiado largo";
        case FileError::is_a_folder: return "ya existe una carpeta con ese nombre";
        case FileError::in_use: return "el archivo esta abierto en otro programa";
        case FileError::none:
        case FileError::other: break;
    }
    return "error del sistema " + std::to_string(outcome.system_code);
}

}  // namespace

std::string disk_bytes(std::string_view image) {
    return platform::with_crlf_line_ends(image);
}

std::optional<std::string> store_record(std::string_view tree, std::string_view name,
                                        const ImageAssembler& assemble) {
    if (const auto reason = unsafe_name_reason(name)) {
        return "\nEl nombre \"" + printable_name(name) + "\" no es valido: " + *reason +
               ". No se ha guardado nada.";
    }
    const std::string folder = bucket_folder(tree, bucket_number(name));
    const std::string image = assemble(platform::local_time());
    const auto outcome = platform::replace_file(folder, record_file_name(name), disk_bytes(image));
    if (outcome.error == platform::FileError::none) return std::nullopt;
    return "\nNo se pudo guardar " + bucket_path(tree, name) + ": " + failure_reason(outcome, folder) +
           ". No se ha cambiado nada.";
}

void write_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                  std::string_view success_message) {
    const auto failure = store_record(tree, name, assemble);
    console::print(failure ? std::string_view(*failure) : success_message);
    console::print("\n");
    console::pause();
}

}  // namespace records
