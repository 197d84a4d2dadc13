#pragma once

// The data-entity library Rollstrake: a relational database described by a schema-description
// file, offered as tables, records, field values, filters and totals. Start with Root::Create()
// and Root::Start; everything else is reached through Root::Tables().

#include "dbfield.h"
#include "dbfields.h"
#include "dbfilterfield.h"
#include "dbfilterfields.h"
#include "dbrecord.h"
#include "dbrecords.h"
#include "entityenums.h"
#include "entityerror.h"
#include "field.h"
#include "fieldclass.h"
#include "fields.h"
#include "fieldtype.h"
#include "root.h"
#include "table.h"
#include "tables.h"
#include "transaction.h"
