// Build step: writes the manual and FAQ pages (index.html, manual.html, faq.html)
// from the help source into the folder the program runs from.
// Arguments: the help source (resources/help/help.src), the output folder.
#include "ui/help_pages.h"
#include "ui/helpsource.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_help_pages HELP_SOURCE OUTPUT_FOLDER\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "make_help_pages: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream source;
    source << in.rdbuf();
    const meru::ui::HelpPages pages = meru::ui::help_pages(meru::ui::build_help_files(source.str()).topics);
    const std::string folder = argv[2];
    for (const auto& [name, text] :
         {std::pair{meru::ui::kIndexPage, &pages.index}, std::pair{meru::ui::kManualPage, &pages.manual},
          std::pair{meru::ui::kFaqPage, &pages.faq}}) {
        const std::string path = folder + "/" + std::string(name);
        std::ofstream out(path, std::ios::binary);
        out << *text;
        if (!out.flush()) {
            std::cerr << "make_help_pages: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
