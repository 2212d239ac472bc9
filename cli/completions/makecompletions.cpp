// Writes quenlo-fix's completions for bash, zsh and fish into the folder
// named, from the table the command line is read with.
// Usage: makecompletions FOLDER
#include "options.h"
#include "optiontable.h"

#include <fstream>
#include <iostream>
#include <string>

namespace {

using quenlo::cli::kMostJobs;
using quenlo::cli::kOptionTable;
using quenlo::cli::OptionValue;

const std::string kRange = "1-" + std::to_string(kMostJobs);

// `text` inside single quotes, for any of the three shells.
std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string bash()
{
    std::string words, valued;
    for (const auto &row : kOptionTable) {
        if (row.letter)
            words += std::string(" -") + row.letter;
        words += " --" + std::string(row.name) + (row.value != OptionValue::None ? "=" : "");
    }
    std::string script = "# bash completion for quenlo-fix\n"
                         "_quenlo_fix()\n{\n"
                         "    local cur prev words cword split\n"
                         "    _init_completion -s || return\n"
                         "    case $prev in\n";
    for (const auto &row : kOptionTable) {
        if (row.value == OptionValue::None)
            continue;
        script += "    " + (row.letter ? std::string("-") + row.letter + "|" : std::string()) + "--"
                  + std::string(row.name) + ")\n";
        script += row.value == OptionValue::Jobs
                      ? "        COMPREPLY=($(compgen -W \"$(seq 1 " + std::to_string(kMostJobs) + ")\" -- \"$cur\"))\n"
                      : std::string("        _filedir\n");
        script += "        return ;;\n";
    }
    script += "    esac\n"
              "    $split && return\n"
              "    if [[ $cur == -* ]]; then\n"
              "        COMPREPLY=($(compgen -W " + quoted(words.substr(1)) + " -- \"$cur\"))\n"
              "        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace\n"
              "        return\n"
              "    fi\n"
              "    # Folders alone once -r is given; else folders and project files.\n"
              "    local word\n"
              "    for word in \"${words[@]:1:cword-1}\"; do\n"
              "        case $word in\n"
              "        --) break ;;\n"
              "        --recursive | -*([!j-])r*)\n"
              "            _filedir -d\n"
              "            return ;;\n"
              "        esac\n"
              "    done\n"
              "    _filedir '@([pP][rR][jJ])'\n"
              "} &&\n"
              "    complete -F _quenlo_fix quenlo-fix\n";
    return script;
}

std::string zsh()
{
    std::string script = "#compdef quenlo-fix\n"
                         "local curcontext=$curcontext state line ret=1\n"
                         "_arguments -s -S -C \\\n";
    for (const auto &row : kOptionTable) {
        const std::string name = "--" + std::string(row.name);
        const std::string about = "[" + std::string(row.about) + "]";
        const std::string takes = row.value == OptionValue::Jobs ? ":number of jobs (" + kRange + "):({1.."
                                                                       + std::to_string(kMostJobs) + "})"
                                  : row.value == OptionValue::File ? ":file of NUL-ended names:_files"
                                                                   : "";
        const std::string suffix = row.value == OptionValue::None ? "" : row.letter ? "+" : "=";
        if (row.letter) {
            const std::string letter = std::string("-") + row.letter;
            script += "    " + quoted("(" + letter + " " + name + ")") + "{" + letter + suffix + "," + name
                      + (row.value == OptionValue::None ? "" : "=") + "}" + quoted(about + takes) + " \\\n";
        } else {
            script += "    " + quoted(name + suffix + about + takes) + " \\\n";
        }
    }
    script += "    '*:project file or folder:->operands' && ret=0\n"
              "if [[ $state == operands ]]; then\n"
              "    # Folders alone once -r is given; else folders and project files.\n"
              "    if (( ${words[(I)(--recursive|-[^-]#r*)]} )); then\n"
              "        _files -/ && ret=0\n"
              "    else\n"
              "        _files -g '*.(#i)prj(-.)' && ret=0\n"
              "    fi\n"
              "fi\n"
              "return ret\n";
    return script;
}

std::string fish()
{
    std::string script = "# fish completion for quenlo-fix\n"
                         "complete -c quenlo-fix -f\n";
    std::string recursive;
    for (const auto &row : kOptionTable) {
        script += "complete -c quenlo-fix";
        if (row.letter)
            script += std::string(" -s ") + row.letter;
        script += " -l " + std::string(row.name);
        if (row.value == OptionValue::Jobs)
            script += " -x -a " + quoted("(seq 1 " + std::to_string(kMostJobs) + ")");
        else if (row.value == OptionValue::File)
            script += " -r -F";
        std::string about(row.about);
        if (row.value == OptionValue::Jobs)
            about += " (" + kRange + ")";
        script += " -d " + quoted(about) + "\n";
        if (row.name == "recursive")
            recursive = std::string("-s ") + row.letter + " -l " + std::string(row.name);
    }
    // Folders alone once -r is given; else folders and project files.
    script += "complete -c quenlo-fix -n " + quoted("__fish_seen_argument " + recursive)
              + " -a '(__fish_complete_directories)'\n";
    script += "complete -c quenlo-fix -n " + quoted("not __fish_seen_argument " + recursive)
              + " -a '(for f in (commandline -ct)*; if test -d $f; echo $f/; "
                "else if string match -qi -- \"*.prj\" $f; echo $f; end; end)'\n";
    return script;
}

bool write(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        std::cerr << "makecompletions: cannot write " << path << "\n";
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "Usage: makecompletions FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    const bool written = write(folder + "/quenlo-fix", bash()) && write(folder + "/_quenlo-fix", zsh())
                         && write(folder + "/quenlo-fix.fish", fish());
    return written ? 0 : 1;
}
