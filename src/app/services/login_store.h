// The stored login: "kx_login.dat" in the program's folder, 16-bit text (UTF-16 with a byte-order
// mark; little-endian when there is none), the user name on the first line
// and the password on the second, each line ended by LF or CR LF.
#pragma once

#define LOGIN_FILE "kx_login.dat"

// Reads the stored login into user and password (8-bit text, sizes
// including the terminator). 1 when no file, no user name or no password is
// stored, or a field does not fit its buffer; else 0 and the login counts
// as loaded.
int login_load(char *user, int user_size, char *password, int password_size);
// 1 once a login was loaded.
int login_is_loaded(void);
// No login counts as loaded any more, as at start-up (for a program whose
// start is run again in the same process: the tests).
void login_forget(void);
