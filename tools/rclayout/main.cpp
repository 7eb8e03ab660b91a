// celwrd-rclayout: the dialogs' layout table from the resource script.
//   celwrd-rclayout resources/celwrd.rc dialog_layouts.cpp
#include <cstdio>

#include "layout_table.h"

int main(int argc, char** argv) { return runRcLayout(argc, argv, stderr); }
