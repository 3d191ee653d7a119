// Mods the object fuzz found that the physics engine's solver fails on,
// for the tests that the match ends and the program goes on.
#pragma once
#include <string>

// Two mods the object fuzz found: objects at their limits, most at one
// place, two fighter bodies thrust every frame. Played as the fuzz plays
// them, the solver fails on the first in the live world step and on the
// second in the ghost preview's ("d[i] != dReal(0.0)" in dxLDLTRemove).
// One statement per ';'.
inline const char *const k_found_in_world =
    "env_obj 1;shape box;sides 10 10 10;mass 1000000;bounce 100;pos 0.3 -0.4 0.5;thrust 1 100000 0 0\n"
    "env_obj 2;shape cylinder;sides 5;mass 1000000;bounce 0;pos 0.3 -0.4 0.5\n"
    "env_obj 3;shape cylinder;sides 5 0.01;mass 1000000;bounce 1;pos 0.3 -0.4 0.5\n"
    "env_obj 4;shape box;sides 10 10 10;mass 1;bounce 1;pos 0 -0.5 1;force 100000 100000 0;friction 3e38\n"
    "env_obj 5;shape cylinder;sides 5 0.01;mass 0.0001;bounce 100;pos 0.3 -0.4 0.5;thrust 1 0 100000 0;force -100000 -100000 -100000;friction 3e38\n"
    "env_obj 6;shape cylinder;sides 5 0.01;mass 0.0001;bounce 100;pos 0.3 -0.4 0.5\n"
    "env_obj 7;shape box;sides 10 10 10;mass 0.0001;bounce 100;pos 0.3 -0.4 0.5;force 100000 -100000 100000;friction 3e38\n"
    "env_obj 8;shape sphere;sides 5 0.01;mass 1000000;bounce 1;pos 999 999 999;force 100000 100000 100000;friction 3e38\n"
    "env_obj 9;shape box;sides 0.01 0.01 0.01;mass 0.0001;bounce 100;pos 0.3 -0.4 0.5;thrust 1 0 0 0\n"
    "env_obj 10;shape sphere;sides 0.01 10;mass 1;bounce 0;pos 0.3 -0.4 0.5;thrust 1 100000 0 0\n"
    "env_obj 11;shape cylinder;sides 0.01 10;mass 1000000;bounce 100;pos 0.3 -0.4 0.5\n"
    "env_obj 12;shape sphere;sides 5 10;mass 1000000;bounce 0;pos 0.3 -0.4 0.5;thrust 1 0 100000 100000\n"
    "env_obj 13;shape box;sides 10 10 10;mass 1000000;bounce 1;pos 0.3 -0.4 0.5;force 0 0 100000;friction 3e38\n"
    "env_obj 14;shape box;sides 10 10 10;mass 0.0001;bounce 0;pos 0.3 -0.4 0.5\n"
    "env_obj 15;shape cylinder;sides 0.01 10;mass 0.0001;bounce 100;pos 999 999 999;force 0 -100000 0;friction 3e38\n"
    "env_obj 16;shape box;sides 10 10 10;mass 0.0001;bounce 100;pos 999 999 999;force 100000 100000 0;friction 3e38\n"
    "env_obj_joint 2 2 3;axis 0 0 1;pos 0.3 -0.4 0.5;strength 1000000;velocity 10000\n"
    "env_obj_joint 3 3 4;axis 0 0 1;pos 0.3 -0.4 0.5;strength 1000000;velocity 10000\n"
    "body r_hand;density 1000000;thrust 1 100000 100000 100000\n"
    "body r_butt;density 1;thrust 1 100000 100000 100000\n";
inline const char *const k_found_in_preview =
    "env_obj 1;shape sphere;sides 5 0.01;mass 1000000;bounce 100;pos 999 999 999\n"
    "env_obj 2;shape sphere;sides 0.01 10;mass 0.0001;bounce 100;pos 999 999 999\n"
    "env_obj 3;shape cylinder;sides 5 0.01;mass 0.0001;bounce 0;pos 999 999 999\n"
    "env_obj 4;shape sphere;sides 5 10;mass 1000000;bounce 0;pos 999 999 999\n"
    "env_obj 5;shape sphere;sides 5 0.01;mass 1000000;bounce 100;pos 0 0 0.25;thrust 1 100000 0 0\n"
    "env_obj 6;shape box;sides 0.01 0.01 0.01;mass 0.0001;bounce 100;pos 999 999 999;thrust 1 -100000 100000 -100000\n"
    "env_obj 7;shape sphere;sides 0.01 10;mass 0.0001;bounce 0;pos 999 999 999;force 100000 0 0;friction 3e38\n"
    "env_obj 8;shape cylinder;sides 0.01 10;mass 0.0001;bounce 0;pos 999 999 999;thrust 1 -100000 -100000 100000\n"
    "env_obj 9;shape cylinder;sides 5;mass 1;bounce 100;pos 999 999 999;thrust 1 -100000 100000 0\n"
    "env_obj 10;shape sphere;sides 0.01 10;mass 1000000;bounce 1;pos 0 0 0.25\n"
    "env_obj 11;shape cylinder;sides 5 0.01;mass 0.0001;bounce 100;pos 0 0 0.25\n"
    "env_obj 12;shape box;sides 10 0.01 10;mass 1;bounce 100;pos 999 999 999;thrust 1 100000 0 100000\n"
    "env_obj 13;shape cylinder;sides 5;mass 0.0001;bounce 1;pos 999 999 999;force 0 100000 -100000;friction 3e38\n"
    "env_obj 14;shape sphere;sides 5 0.01;mass 1000000;bounce 100;pos 0 0 0.25;force 0 0 100000;friction 3e38\n"
    "env_obj_joint 2 2 3;axis 0 0 1;pos 999 999 999;strength 1000000;velocity 10000\n"
    "env_obj_joint 4 4 5;axis 0 0 1;pos 999 999 999;strength 1000000;velocity 10000\n"
    "body r_hand;density 1000000;thrust 1 100000 100000 100000\n"
    "body r_butt;density 1000000;thrust 1 100000 100000 100000\n";

// The mod file: each ';' starts a new line.
inline std::string found_mod_text(const char *text)
{
    std::string s = text;
    for (char &c : s)
        if (c == ';')
            c = '\n';
    return s;
}
