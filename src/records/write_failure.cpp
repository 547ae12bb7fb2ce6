#include "records/write_failure.hpp"

#include "console/output.hpp"
#include "records/bucket.hpp"
#include "text/messages.hpp"

namespace records {
namespace {

using platform::FileError;

// Why a write failed, and what to do next.
struct Advice {
    std::string why;
    std::string to_do;
};

// A path as a message shows it: its control characters as "\xHH" (a name
// never holds one), and its spaces breaking no line.
std::string shown(std::string_view path) {
    return text::unbreakable(console::escaped(path));
}

// A path as the platform's prompt reads it: in quotes where it holds a
// character that the prompt would take for its own. (On Windows the quote
// itself never is in a name.)
std::string for_prompt(std::string_view path) {
    constexpr platform::MendingCommands commands = platform::mending_commands();
    if (path.find_first_of(commands.needs_quotes) == std::string_view::npos) return std::string(path);
    const char quote = commands.quote;
    std::string quoted(1, quote);
    for (const char c : path) {
        if (c == quote) {
            quoted += {quote, '\\', quote, quote};
        } else {
            quoted += c;
        }
    }
    quoted += quote;
    return quoted;
}

// A bucket folder that is missing: option "1" makes those of the account
// tree from 1 to 249, once the tree is there or with it; any other the
// operator makes, with the command for it.
Advice missing_folder(std::string_view tree, int number, const std::string& folder,
                      const std::string& missing) {
    if (missing.empty()) {
        return {"no existe la carpeta " + shown(folder),
                "Inicie el programa en la carpeta de datos del servidor y vuelva a crear el registro."};
    }
    const std::string why = "no existe la carpeta " + shown(missing);
    if (made_by_option_one(tree, number)) {
        return {why,
                "Cree las carpetas con la opcion 1 del menu (Crear Carpetas) y vuelva a crear el registro."};
    }
    constexpr platform::MendingCommands commands = platform::mending_commands();
    const bool tree_missing = missing == tree;
    std::string to_do = tree == account_tree
                            ? "La opcion 1 del menu crea solo las carpetas AscII" +
                                  std::to_string(first_made_bucket) + " a AscII" +
                                  std::to_string(last_made_bucket)
                            : "Ninguna opcion del programa crea las carpetas de " + std::string(tree);
    to_do += tree_missing ? "; creelas" : "; creela";
    to_do += " con esta orden y vuelva a crear el registro:";
    to_do +=
        text::command_line(std::string(tree_missing ? commands.make_folder_and_above : commands.make_folder) +
                           for_prompt(folder));
    return {why, to_do};
}

// Who the program runs as, and whose `thing` (the folder, the record) is.
std::string users(const platform::FileOutcome& outcome, std::string_view thing) {
    if (outcome.user.empty()) return {};
    std::string said = " (el programa se ejecuta como " + shown(outcome.user);
    if (!outcome.owner.empty()) said += ", y " + std::string(thing) + " es de " + shown(outcome.owner);
    return said + ")";
}

// Where a permission refused the write: starting the program as the owner
// would do, or a permission that the owner can give.
std::string ask_the_owner(const platform::FileOutcome& outcome, std::string_view ask_for) {
    if (outcome.owner.empty() || outcome.owner == outcome.user) {
        return "Pida " + std::string(ask_for) + " a quien administre el equipo y vuelva a crear el registro.";
    }
    const std::string owner = shown(outcome.owner);
    return "Inicie el programa como " + owner + ", o pida a " + owner + " " + std::string(ask_for) +
           ", y vuelva a crear el registro.";
}

Advice advice(std::string_view tree, std::string_view name, const platform::FileOutcome& outcome) {
    const int number = bucket_number(name);
    const std::string folder = bucket_folder(tree, number);
    const std::string record = bucket_path(tree, name);
    switch (outcome.error) {
        case FileError::folder_missing: return missing_folder(tree, number, folder, outcome.missing_folder);
        case FileError::folder_is_a_file:
            return {shown(outcome.not_a_folder) + " es un archivo, no una carpeta",
                    "Cambie el nombre de ese archivo o borrelo, y vuelva a crear el registro."};
        case FileError::access_denied:
            return {"no hay permiso para crear archivos en la carpeta " + shown(folder) +
                        users(outcome, "la carpeta"),
                    ask_the_owner(outcome, "permiso de escritura en la carpeta")};
        case FileError::read_only:
            return {"el disco es de solo lectura",
                    "Haga que se pueda escribir en el (montandolo de nuevo, por ejemplo) y vuelva a crear el "
                    "registro."};
        case FileError::file_access_denied:
            return {"no hay permiso para escribir en el registro" + users(outcome, "el registro"),
                    ask_the_owner(outcome, "permiso de escritura en el registro")};
        case FileError::owner_only:
            return {"en la carpeta " + shown(folder) +
                        " solo el propietario de un registro puede reemplazarlo" +
                        users(outcome, "el registro"),
                    ask_the_owner(outcome, "que lo borre")};
        case FileError::file_read_only:
            return {"el registro es de solo lectura",
                    "Quitele esa marca con esta orden y vuelva a crear el registro:" +
                        text::command_line(std::string(platform::mending_commands().allow_writing) +
                                           for_prompt(record))};
        case FileError::file_is_link:
            return {"es un enlace simbolico, y no se escribe a traves de el",
                    "Borre el enlace y vuelva a crear el registro."};
        case FileError::not_a_regular_file:
            return {"no es un archivo normal, sino un dispositivo, una tuberia o un socket",
                    "Quitelo de la carpeta y vuelva a crear el registro."};
        case FileError::is_a_folder:
            return {"ya existe una carpeta con ese nombre",
                    "Cambie el nombre de la carpeta o borrela, y vuelva a crear el registro."};
        case FileError::disk_full:
            return {"no queda espacio en el disco", "Libere espacio y vuelva a crear el registro."};
        case FileError::quota_exceeded:
            return {"se ha superado la cuota de disco",
                    "Libere espacio de la cuota y vuelva a crear el registro."};
        case FileError::name_too_long:
            return {"el nombre es demasiado largo para el sistema de archivos",
                    "Vuelva a crear el registro con un nombre mas corto."};
        case FileError::path_too_long:
            return {
                "la ruta es demasiado larga para Windows (mas de 259 caracteres)",
                "Inicie el programa en una carpeta de datos de ruta mas corta y vuelva a crear el registro."};
        case FileError::invalid_name:
            return {"el sistema de archivos no admite ese nombre",
                    "Vuelva a crear el registro con otro nombre."};
        case FileError::in_use:
            return {"el registro esta abierto en otro programa",
                    "Cierrelo en ese programa y vuelva a crear el registro."};
        case FileError::io_error:
            return {"el disco ha fallado al leer o escribir",
                    "Compruebe el disco y vuelva a crear el registro."};
        case FileError::cross_device:
            return {"el registro esta en otro sistema de archivos que su carpeta",
                    "Compruebe lo que hay montado en la carpeta y vuelva a crear el registro."};
        case FileError::too_many_open_files:
            return {"hay demasiados archivos abiertos",
                    "Cierre otros programas y vuelva a crear el registro."};
        case FileError::link_loop:
            return {"los enlaces simbolicos de la ruta forman un bucle",
                    "Corrija esos enlaces y vuelva a crear el registro."};
        case FileError::out_of_memory:
            return {"no hay memoria suficiente", "Cierre otros programas y vuelva a crear el registro."};
        case FileError::too_large:
            return {"el registro seria demasiado grande para el limite de tamano de los archivos",
                    "Suba ese limite y vuelva a crear el registro."};
        case FileError::not_supported:
            return {"el sistema de archivos no permite poner el registro en su sitio",
                    "Use una carpeta de datos en otro sistema de archivos."};
        case FileError::network_lost:
            return {"se ha perdido la conexion con la carpeta de red",
                    "Conectela de nuevo y vuelva a crear el registro."};
        case FileError::exists:
            return {"ya existe, y el nombre escrito era mas largo, asi que no se reemplaza",
                    "Para reemplazarlo, vuelva a crear el registro escribiendo ese nombre, sin pasar del "
                    "limite; si no, use otro nombre."};
        case FileError::other_name: {
            std::string why = "el sistema de archivos lo lleva a otro registro de la carpeta";
            if (!outcome.listed_name.empty()) {
                why = "es el nombre corto de otro registro, " +
                      shown(folder + platform::path_separator() + outcome.listed_name);
            }
            return {why + ", asi que no se reemplaza", "Vuelva a crear el registro con otro nombre."};
        }
        case FileError::temporary_gone:
            return {
                "otro programa ha borrado el archivo temporal de esta escritura antes de ponerlo en su sitio",
                "Vuelva a crear el registro."};
        case FileError::none:
        case FileError::other: break;
    }
    return {"error inesperado del sistema (" + std::to_string(outcome.system_code) + ")",
            "Vuelva a crear el registro; si el error se repite, anote su numero."};
}

// How the message ends: nothing changed, or what the failure left under the
// record's name, and what to do with it.
std::string closing(std::string_view name, const platform::FileOutcome& outcome) {
    switch (outcome.left) {
        case platform::LeftUnderName::as_before: break;
        case platform::LeftUnderName::empty_file:
            return std::string(text::left_behind) +
                   "un archivo vacio con el nombre del registro: la proxima vez que cree el registro, lo "
                   "reemplaza.";
        case platform::LeftUnderName::nothing: {
            if (outcome.new_content_at.empty()) {
                return std::string(text::left_behind) +
                       "la carpeta sin el registro: el anterior ya no esta, y el nuevo no se ha podido "
                       "guardar "
                       "con otro nombre. Vuelva a crearlo.";
            }
            constexpr platform::MendingCommands commands = platform::mending_commands();
            const std::string target =
                commands.rename_takes_a_name
                    ? record_file_name(name)
                    : outcome.new_content_at.substr(0, outcome.new_content_at.rfind('.'));
            return std::string(text::left_behind) + "el registro nuevo en " + shown(outcome.new_content_at) +
                   ", y el anterior ya no esta. Pongalo en su sitio con esta orden:" +
                   text::command_line(std::string(commands.rename) + for_prompt(outcome.new_content_at) +
                                      " " + for_prompt(target));
        }
    }
    return std::string(text::nothing_changed);
}

}  // namespace

std::string write_failure(std::string_view tree, std::string_view name,
                          const platform::FileOutcome& outcome) {
    const Advice said = advice(tree, name, outcome);
    return text::failure_message(std::string(text::record_not_stored) + " " + shown(bucket_path(tree, name)),
                                 said.why, said.to_do, closing(name, outcome));
}

}  // namespace records
