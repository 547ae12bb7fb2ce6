#include "records/record_writer.hpp"

#include "console/output.hpp"
#include "records/bucket.hpp"
#include "records/record_name.hpp"
#include "text/line_ends.hpp"

namespace records {
namespace {

// Why the record could not be stored, as a phrase in the operator's language.
std::string failure_reason(const platform::FileOutcome& outcome, const std::string& folder) {
    using platform::FileError;
    switch (outcome.error) {
        case FileError::folder_missing: return "no existe la carpeta " + folder;
        case FileError::folder_is_a_file:
            return console::escaped(outcome.not_a_folder) + " es un archivo, no una carpeta";
        case FileError::access_denied: return "no hay permiso para escribir en la carpeta " + folder;
        case FileError::read_only: return "el disco es de solo lectura";
        case FileError::file_access_denied: return "no hay permiso para escribir en ese archivo";
        case FileError::owner_only:
            return "en la carpeta " + folder + " solo el propietario del archivo puede reemplazarlo";
        case FileError::file_read_only: return "el archivo es de solo lectura";
        case FileError::file_is_link: return "es un enlace simbolico, y no se escribe a traves de el";
        case FileError::not_a_regular_file:
            return "no es un archivo normal, sino un dispositivo o una tuberia";
        case FileError::is_a_folder: return "ya existe una carpeta con ese nombre";
        case FileError::disk_full: return "no queda espacio en el disco";
        case FileError::quota_exceeded: return "se ha superado la cuota de disco";
        case FileError::name_too_long: return "el nombre es demasiado largo";
        case FileError::path_too_long:
            return "la ruta es demasiado larga para Windows (mas de 259 caracteres)";
        case FileError::invalid_name: return "el sistema de archivos no admite ese nombre";
        case FileError::in_use: return "el archivo esta abierto en otro programa";
        case FileError::io_error: return "el disco ha fallado al leer o escribir";
        case FileError::cross_device: return "el archivo esta en otro sistema de archivos que su carpeta";
        case FileError::too_many_open_files: return "hay demasiados archivos abiertos";
        case FileError::link_loop: return "los enlaces simbolicos de la ruta forman un bucle";
        case FileError::out_of_memory: return "no hay memoria suficiente";
        case FileError::too_large: return "el archivo seria demasiado grande";
        case FileError::not_supported:
            return "el sistema de archivos no permite poner el archivo en su sitio";
        case FileError::network_lost: return "se ha perdido la conexion con la carpeta de red";
        case FileError::exists:
            return "ya existe, y el nombre escrito era mas largo, asi que no se reemplaza";
        case FileError::other_name:
            if (outcome.listed_name.empty()) {
                return "el sistema de archivos lo lleva a otro registro de la carpeta, asi que no se "
                       "reemplaza";
            }
            return "es el nombre corto de otro registro, " +
                   console::escaped(folder + platform::path_separator() + outcome.listed_name) +
                   ", asi que no se reemplaza";
        case FileError::temporary_gone:
            return "otro programa ha borrado el archivo temporal de esta escritura antes de ponerlo en su "
                   "sitio";
        case FileError::none:
        case FileError::other: break;
    }
    return "error inesperado del sistema (" + std::to_string(outcome.system_code) + ")";
}

// What a failed write left under the record's name, for the end of its message.
std::string what_was_left(const platform::FileOutcome& outcome) {
    switch (outcome.left) {
        case platform::LeftUnderName::as_before: break;
        case platform::LeftUnderName::empty_file:
            return " Ha quedado un archivo vacio con ese nombre, que la proxima escritura del registro "
                   "reemplaza.";
        case platform::LeftUnderName::nothing:
            if (outcome.new_content_at.empty()) {
                return " El archivo anterior ya no esta en su sitio, y el contenido nuevo no se ha podido "
                       "guardar con otro nombre: vuelva a crear el registro.";
            }
            return " El archivo anterior ya no esta en su sitio; el contenido nuevo ha quedado en " +
                   console::escaped(outcome.new_content_at) + ".";
    }
    return " No se ha cambiado nada.";
}

}  // namespace

std::string disk_bytes(std::string_view image) {
    return text::with_crlf_line_ends(image);
}

StoreOutcome store_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                          platform::Replacing replacing) {
    if (const auto reason = unsafe_name_reason(name, platform::entry_code_page())) {
        return {"\nEl nombre \"" + console::escaped(name) + "\" no es valido: " + *reason +
                ". No se ha guardado nada."};
    }
    const std::string folder = bucket_folder(tree, bucket_number(name));
    const std::string image = assemble(platform::local_time());
    const auto outcome = platform::replace_file(folder, record_file_name(name), disk_bytes(image), replacing);
    if (outcome.error == platform::FileError::none) {
        if (!outcome.replaced_empty_file) return {};
        return {std::nullopt, "\nSe ha reemplazado un archivo vacio que dejo una escritura interrumpida."};
    }
    return {"\nNo se pudo guardar " + console::escaped(bucket_path(tree, name)) + ": " +
            failure_reason(outcome, folder) + "." + what_was_left(outcome)};
}

void write_record(std::string_view tree, std::string_view name, const ImageAssembler& assemble,
                  std::string_view success_message, const console::Dialogue& dialogue) {
    // A name cut to its limit is another name than the one typed: it may
    // make a new record, never take the place of one.
    const auto replacing =
        dialogue.record_name_cut() ? platform::Replacing::refused : platform::Replacing::allowed;
    StoreOutcome stored{dialogue.refusal()};
    if (!stored.failure) stored = store_record(tree, name, assemble, replacing);
    if (stored.failure) {
        console::print(*stored.failure);
    } else {
        console::print(success_message);
        console::print(stored.notice);
        console::print(dialogue.notices(bucket_path(tree, name)));
    }
    console::print("\n");
    console::pause();
}

}  // namespace records
