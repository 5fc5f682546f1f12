// Expands one field table (smdf_fields.def, mdf_v1_fields.def). Include it once per table, with
// QEL_MDF_FIELDS naming the table file:
//
//   #define QEL_MDF_FIELDS "mdf/smdf_fields.def"
//   #include "mdf/record_fields.h"
//
// Without QEL_MDF_MODE the rows become the plain structs, members in table order; nested record
// types are written with a leading :: because a member may carry the name of its own type
// (SMDF::JoistCriteria is a ::JoistCriteria). With QEL_MDF_MODE defined the rows go to the
// QEL_MDF_<mode>_* macros of record_layout_internal.h (ASSERT, TABLE). No include guard; every
// macro defined here is undefined again at the end, QEL_MDF_FIELDS included, so a public header
// that declares its records this way leaves no macro behind. Without QEL_MDF_FIELDS it does
// nothing.
#include "mdf/record_desc.h"

#ifdef QEL_MDF_FIELDS

#ifdef QEL_MDF_MODE
#define QEL_MDF_BEGIN(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _BEGIN)(__VA_ARGS__)
#define QEL_MDF_FIELD(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _FIELD)(__VA_ARGS__)
#define QEL_MDF_ARRAY(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _ARRAY)(__VA_ARGS__)
#define QEL_MDF_RECORD(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _RECORD)(__VA_ARGS__)
#define QEL_MDF_RECORD_ARRAY(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _RECORD_ARRAY)(__VA_ARGS__)
#define QEL_MDF_END(...) QEL_MDF_CAT(QEL_MDF_, QEL_MDF_MODE, _END)(__VA_ARGS__)
#else
#define QEL_MDF_BEGIN(rec, bytes) struct rec {
#define QEL_MDF_FIELD(rec, off, name, type) ::qel::mdf_type::t_##type name;
#define QEL_MDF_ARRAY(rec, off, name, type, n) ::qel::mdf_type::t_##type name[n];
#define QEL_MDF_RECORD(rec, off, name, type) ::type name;
#define QEL_MDF_RECORD_ARRAY(rec, off, name, type, n) ::type name[n];
#define QEL_MDF_END(rec, bytes) \
  }                             \
  ;
#endif

#include QEL_MDF_FIELDS

#undef QEL_MDF_BEGIN
#undef QEL_MDF_FIELD
#undef QEL_MDF_ARRAY
#undef QEL_MDF_RECORD
#undef QEL_MDF_RECORD_ARRAY
#undef QEL_MDF_END
#undef QEL_MDF_FIELDS
#endif  // QEL_MDF_FIELDS
