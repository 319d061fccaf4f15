# Sourced by the layer checks: prints, NUL-separated and sorted, every C and C++
# source, header and included fragment under the folder $1, whatever extension
# of the usual ones it carries (.h .hh .hpp .hxx .inc .ipp .tpp .tcc .cpp .cc
# .cxx .c ...), so that no file escapes a check by its name.
source_files() {
    find "$1" -type f \( -name '*.[ch]' -o -name '*.[ch][ch]' -o -name '*.[ch]pp' -o -name '*.[ch]xx' \
        -o -name '*.[ch]++' -o -name '*.inc' -o -name '*.ipp' -o -name '*.tpp' -o -name '*.tcc' \
        -o -name '*.ixx' -o -name '*.cppm' \) -print0 | sort -z
}
