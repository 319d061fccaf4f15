#pragma once
// Working state of the control-file reader, shared by its parts (variable list,
// attribute lines, numbering and checks). Internal to src/files.
#include "files/controlfile.h"
#include "files/cutgrammar.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace meru::files {

struct CfReader {
    const std::vector<std::string>& cf;
    ControlTables& t;
    Scratch& scratch;
    CfNotes& notes;

    size_t pos = 0; // next record of cf
    int errors = 0;
    char delim = ' ';
    int names_read = 0;                            // names in the list as read (before _ID_/_FREQ_ removal)
    std::unordered_map<std::string, int> varindex; // name -> first variable number
    // Names of the list longer than 8 characters, as written -> their variable, and
    // the variables whose written name was cut: a long name on an attribute line
    // resolves through the first or is refused, never cut onto another variable.
    std::unordered_map<std::string, int> longindex;
    std::vector<bool> name_was_cut;

    // Notes remembered for the end of the attribute lines.
    bool note_nocuts = false;
    bool note_sign = false;
    bool note_badstates = false;
    bool note_nouniverse = false;
    bool note_dup_or_opposite = false;

    bool at_eof() const { return pos >= cf.size(); }
    void error() { ++errors; }
    void write(std::string_view line);

    // Variable list (steps 2-11). False when the reader must stop.
    bool read_variables();
    // Adds a pseudo-variable ("_i_" or "_r_") at the end of the variable table.
    int add_variable(const std::string& name);
    int find_variable(const std::string& name) const;
    // The variable an attribute line's name stands for (0: none): the name as
    // written when the list held it so, else its first 8 characters unless that
    // names a variable whose own longer name was cut.
    int resolve_name(const std::string& written) const;

    // Attribute lines up to the "*" line. False at an early end of file.
    bool read_attribute_lines();
    // Stores one resolved attribute line; false when it was dropped.
    bool add_line(const NormalLine& nl, const std::string& name, int var, const std::string& text, bool write_text,
                  bool log_nocut);

    // Numbering, cut values and checks (phase 2).
    void number_and_check();
};

} // namespace meru::files
