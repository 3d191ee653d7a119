// Small readers for the text arguments of protocol lines: bounded words and
// one-line text fields. Numbers are read by number_text.h.
#pragma once
#include <cstdint>

// Skips blanks and tabs, then copies the next word (up to a blank, tab, CR,
// LF or the end) into dst, cut to size - 1 characters. Returns the text
// after the word, or null when there is no word (dst is then empty).
const char *wire_read_word(const char *text, char *dst, int size);

// Copies text into dst (size bytes, always terminated) up to the first CR
// or LF, with leading and trailing blanks removed and other control
// characters written as blanks, so the field stays one line.
void wire_copy_field(char *dst, const char *text, int size);

// Splits tab-separated names into cells of cell_size bytes (max cells,
// zeroed first); each name is cut to cell_size - 1 characters, empty names
// are skipped and CR or LF ends the text. Returns the names stored.
int wire_split_names(const char *text, char *cells, int cell_size, int max);
