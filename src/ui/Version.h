/* The program's version, shared by the code and the resource script's version information. */
#ifndef QUILLON_UI_VERSION_H
#define QUILLON_UI_VERSION_H

#define QUILLON_VERSION_MAJOR 2
#define QUILLON_VERSION_MINOR 2
#define QUILLON_VERSION_TEXT "2.2"
#define QUILLON_VERSION_FULL_TEXT "2.2.0.0"
#define QUILLON_PRODUCT_NAME "Quillon"
#define QUILLON_COMPANY_NAME "Kestrelworks"

#endif
