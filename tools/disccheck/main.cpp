// disccheck: checks a disc image's launcher folder before the disc is pressed.
#include <iostream>

#include "disccheck.h"

int main(int argc, char **argv) { return disccheck::Main(argc, argv, std::cout, std::cerr); }
