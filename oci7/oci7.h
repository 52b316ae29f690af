// The version 7 call interface that ora73.dll / libora73.so offers: its types, the data
// areas the caller owns, and the 22 entry points, declared with the C calling convention
// and exported undecorated.  A test-control export (tess_oci7_control) sits beside them;
// the program never binds it.
//
// Data areas are 64 bytes owned and zero-filled by the caller.  The caller reads the
// return code (byte 12), the SQL function type (byte 2), the rows processed (byte 4) and
// the parse error offset (byte 8).  The library keeps its handle from byte 16 on and
// validates it on every call, so a stale, copied or zero-filled area is answered with an
// error code, never dereferenced.
#pragma once

#include <cstddef>
#include <cstdint>

#include "oci7/ora_codes.h"

typedef int sword;
typedef unsigned int uword;
typedef int8_t sb1;
typedef uint8_t ub1;
typedef int16_t sb2;
typedef uint16_t ub2;
typedef int32_t sb4;
typedef uint32_t ub4;
typedef unsigned char text;

// A cursor data area; a logon data area has the same layout.
struct CdaDef {
  sb2 v2_rc;         // 0: the return code in the old (version 2) form, negative on error
  ub2 ft;            // 2: SQL function type of the parsed statement
  ub4 rpc;           // 4: rows processed, cumulative for a fetch
  ub2 peo;           // 8: parse error offset into the caller's text
  ub1 fc;            // 10: function code of the last call
  ub1 rcs1;          // 11
  ub2 rc;            // 12: return code of the last call
  ub1 wrn;           // 14: warning flags
  ub1 rcs2;          // 15
  ub1 handle[16];    // 16: the library's handle (kind tag, id, check word)
  ub1 reserved[32];  // 32
};
typedef CdaDef LdaDef;
static_assert(sizeof(CdaDef) == 64, "data areas are 64 bytes");
static_assert(offsetof(CdaDef, ft) == 2 && offsetof(CdaDef, rpc) == 4 &&
                  offsetof(CdaDef, peo) == 8 && offsetof(CdaDef, rc) == 12 &&
                  offsetof(CdaDef, handle) == 16,
              "the caller reads these fields at these offsets");

// The host data area: 256 bytes, zero-filled by the caller.
constexpr size_t kHdaSize = 256;

// External data types exchanged through bind and define buffers.
enum : sword {
  kExtVarchar2 = 1,  // text, length given separately
  kExtNumber = 2,    // internal number form (not supported: 1460)
  kExtInteger = 3,   // signed binary integer of 1, 2, 4 or 8 bytes
  kExtFloat = 4,     // binary float or double
  kExtString = 5,    // NUL-terminated text
  kExtLong = 8,      // text
  kExtRowid = 11,    // text form of a row id
  kExtDate = 12,     // 7-byte internal date
  kExtRaw = 23,
  kExtLongRaw = 24,
  kExtChar = 96,     // blank-padded text
  kExtCharz = 97,    // blank-padded, NUL-terminated text
  kExtCursor = 102,  // a 64-byte cursor data area (cursor variable)
  kExtMlsLabel = 106
};

// Return codes with a fixed meaning for the caller are among the named codes
// (kOraNoDataFound, kOraStillExecuting, ...).

#if defined(_WIN32)
#define TESS_OCI_EXPORT
#else
#define TESS_OCI_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

TESS_OCI_EXPORT sword olog(LdaDef* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl,
                           text* conn, sword connl, ub4 mode);
TESS_OCI_EXPORT sword ologof(LdaDef* lda);
TESS_OCI_EXPORT sword oerhms(LdaDef* lda, sb2 rcode, text* buf, sword bufsiz);
TESS_OCI_EXPORT sword ocom(LdaDef* lda);
TESS_OCI_EXPORT sword orol(LdaDef* lda);
TESS_OCI_EXPORT sword oopen(CdaDef* cursor, LdaDef* lda, text* dbn, sword dbnl, sword arsize,
                            text* uid, sword uidl);
TESS_OCI_EXPORT sword oclose(CdaDef* cursor);
TESS_OCI_EXPORT sword oparse(CdaDef* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
TESS_OCI_EXPORT sword obndra(CdaDef* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl,
                             sword ftype, sword scale, sb2* indp, ub2* alen, ub2* arcode,
                             ub4 maxsiz, ub4* cursiz, text* fmt, sword fmtl, sword fmtt);
TESS_OCI_EXPORT sword odefin(CdaDef* cursor, sword pos, ub1* buf, sword bufl, sword ftype,
                             sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt, ub2* rlen,
                             ub2* rcode);
TESS_OCI_EXPORT sword odescr(CdaDef* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf,
                             sb4* cbufl, sb4* dsize, sb2* prec, sb2* scale, sb2* nullok);
TESS_OCI_EXPORT sword odessp(LdaDef* lda, text* objnam, size_t onlen, ub1* rsv1, size_t rsv1ln,
                             ub1* rsv2, size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level,
                             text** argnam, ub2* arnlen, ub2* dtype, ub1* defsup, ub1* mode,
                             ub4* dtsiz, sb2* prec, sb2* scale, ub1* radix, ub4* spare,
                             ub4* arrsiz);
TESS_OCI_EXPORT sword oexfet(CdaDef* cursor, ub4 nrows, sword cancel, sword exact);
TESS_OCI_EXPORT sword ofen(CdaDef* cursor, sword nrows);
TESS_OCI_EXPORT sword oexn(CdaDef* cursor, sword iters, sword rowoff);
TESS_OCI_EXPORT sword ocan(CdaDef* cursor);
TESS_OCI_EXPORT sword obreak(LdaDef* lda);
TESS_OCI_EXPORT sword oopt(CdaDef* cursor, sword rbopt, sword waitopt);
TESS_OCI_EXPORT sword opinit(ub4 mode);
TESS_OCI_EXPORT sword onbclr(LdaDef* lda);
TESS_OCI_EXPORT sword onbset(LdaDef* lda);
TESS_OCI_EXPORT sword onbtst(LdaDef* lda);

}  // extern "C"
