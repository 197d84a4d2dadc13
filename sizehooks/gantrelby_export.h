#pragma once

#include <QtGlobal>

#if defined(GANTRELBY_LIBRARY)
#define GANTRELBY_EXPORT Q_DECL_EXPORT
#else
#define GANTRELBY_EXPORT Q_DECL_IMPORT
#endif
