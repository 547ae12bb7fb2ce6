#include "app/command_line.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "console/output.hpp"
#include "platform/platform.hpp"
#include "text/messages.hpp"

#ifndef QKEDITOR_VERSION
#error "QKEDITOR_VERSION must give the program's version"
#endif

namespace app {
namespace {

bool asks_for_help(std::string_view argument) {
    return argument == "--help" || (platform::slash_question_is_help() && argument == "/?");
}

bool asks_for_version(std::string_view argument) {
    return argument == "--version";
}

std::string help() {
    return std::string("Uso: qkeditor [") + (platform::slash_question_is_help() ? "/? | " : "") +
           "--help | --version]\n"
           "\n"
           "Crea las carpetas y los archivos de las cuentas y de los personajes GM de\n"
           "un servidor de juego en linea, en el formato del propio servidor, desde un\n"
           "menu de una tecla: 1 crea el arbol de carpetas Account, 2 una cuenta, 3\n"
           "muestra el codigo de un caracter y 4 crea un personaje GM.\n"
           "\n"
           "Inicielo sin argumentos en la carpeta de datos del servidor, la que tiene\n"
           "(o tendra) las carpetas Account y Character: trabaja en rutas relativas a\n"
           "ella. Lee las teclas del terminal, y las lineas de la entrada estandar,\n"
           "que puede ser un archivo de respuestas (qkeditor < respuestas.txt).\n"
           "\n"
           "  --help     muestra esta ayuda y termina\n"
           "  --version  muestra la version y la licencia y termina\n"
           "\n"
           "Estado de salida:\n"
           "  0  con --help o --version, o con Ctrl+E en el menu\n"
           "  1  el operador ha salido con S (al confirmar la salida, o al elegir\n"
           "     entre volver y salir)\n"
           "  2  un argumento no admitido; no se puede leer el teclado (no hay\n"
           "     terminal o se ha cerrado); o no se puede convertir el texto\n";
}

constexpr std::string_view version =
    "qkeditor " QKEDITOR_VERSION
    "\n"
    "Copyright (c) 2026 The qkeditor developers\n"
    "Licencia MIT (Expat): puede usarlo, copiarlo, modificarlo y distribuirlo\n"
    "libremente, conservando el aviso de copyright; se ofrece sin garantia.\n";

// Standard output gets the answer whole, or the status says it did not.
int answer(std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (written && std::fflush(stdout) == 0) return 0;
    platform::write_error(
        text::failure_message(
            "qkeditor: no se pudo escribir en la salida estandar", "esta cerrada, o el disco esta lleno",
            "Vuelva a intentarlo con la salida en un terminal o un archivo.", text::program_ends) +
        "\n");
    return refused_arguments_status;
}

}  // namespace

std::optional<int> answer_arguments(std::span<const char* const> arguments) {
    if (arguments.empty()) return std::nullopt;
    const auto refused = std::find_if(arguments.begin(), arguments.end(), [](std::string_view argument) {
        return !asks_for_help(argument) && !asks_for_version(argument);
    });
    if (refused != arguments.end()) {
        std::string what = "qkeditor: no se admite el argumento ";
        what += text::unbreakable('"' + console::escaped(*refused) + '"');
        std::string to_do =
            "Para trabajar en otra carpeta, cambie a ella (cd) e inicie qkeditor alli sin argumentos; ";
        to_do += text::unbreakable("vea qkeditor --help");
        to_do += '.';
        platform::write_error(
            text::failure_message(
                what, "el programa trabaja en la carpeta en que se inicia, y solo admite --help y --version",
                to_do, text::program_ends) +
            "\n");
        return refused_arguments_status;
    }
    return answer(std::any_of(arguments.begin(), arguments.end(), asks_for_help) ? help()
                                                                                 : std::string(version));
}

}  // namespace app
