// Writes the bash completion of a program's keywords from the command line's
// keyword table, so that a keyword added there is completed without a second
// list to keep: make-completion vorne-batch|vorne <file>.
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "shell/CommandLine.h"

namespace {

// The literal words a value may be ("ALL" of "<days|ALL>").
std::string ValueWords(const std::string& value) {
  std::string words;
  static const std::regex word("[A-Z][A-Z0-9]+");
  for (std::sregex_iterator it(value.begin(), value.end(), word), end; it != end; ++it)
    words += (words.empty() ? "" : " ") + it->str();
  return words;
}

bool TakesPath(const std::string& value) {
  return value.find("folder") != std::string::npos || value.find("file") != std::string::npos ||
         value.find("root") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-completion vorne-batch|vorne <file>\n");
    return 2;
  }
  const std::string program = argv[1];
  const bool batch = program == "vorne-batch";
  std::string keywords, pathWords, valueCases;
  for (const vorne::TKeywordInfo& k : vorne::CommandLineKeywords()) {
    if (k.batchOnly && !batch) continue;
    keywords += (keywords.empty() ? "" : " ") + std::string(k.word);
    if (!k.value) continue;
    if (TakesPath(k.value)) {
      pathWords += (pathWords.empty() ? "" : "|") + std::string(k.word);
    } else {
      valueCases += "    " + std::string(k.word) + ") COMPREPLY=($(compgen -W \"" + ValueWords(k.value) +
                    "\" -- \"${cur^^}\")); return ;;\n";
    }
  }
  std::string fn = "_" + program;
  for (char& c : fn)
    if (c == '-') c = '_';
  std::ofstream out(argv[2]);
  out << "# bash completion of " << program << ": its keywords, file names after the keywords\n"
      << "# that take a path, and the words a value may be. Made by make-completion.\n"
      << fn << "() {\n"
      << "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      << "  COMPREPLY=()\n"
      << "  if [[ $COMP_CWORD -gt 1 ]]; then\n"
      << "    case \"${prev^^}\" in\n"
      << "    " << pathWords << ")\n"
      << "      compopt -o filenames 2>/dev/null\n"
      << "      COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
      << valueCases << "    esac\n"
      << "  fi\n"
      << "  if [[ $cur == -* ]]; then\n"
      << "    COMPREPLY=($(compgen -W \"--help --version\" -- \"$cur\")); return\n"
      << "  fi\n"
      << "  COMPREPLY=($(compgen -W \"" << keywords << "\" -- \"${cur^^}\"))\n"
      << "}\n"
      << "complete -F " << fn << " " << program << "\n";
  return out ? 0 : 1;
}
