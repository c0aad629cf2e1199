// Walking and editing recordsets: one engine call each, four for the count.
#include <quorvel/database.h>

#include "database/com_failure.h"

namespace {

using namespace mdb;

template <class Call> int record_call(const char16_t *operation, RecordsetPtr &records, Call call) {
    if (!records) return 0;
    return guarded(operation, 0, [&] {
        check(call(records.GetInterfacePtr()), records.GetInterfacePtr());
        return 1;
    });
}

constexpr LONG kUpdateRegular = 1;

}  // namespace

int Mdb_RecordNext(RecordsetPtr records) {
    return record_call(u"Mdb_RecordNext", records, [](Recordset *r) { return r->MoveNext(); });
}

int Mdb_RecordNew(RecordsetPtr records) {
    return record_call(u"Mdb_RecordNew", records, [](Recordset *r) { return r->AddNew(); });
}

int Mdb_RecordEdit(RecordsetPtr records) {
    return record_call(u"Mdb_RecordEdit", records, [](Recordset *r) { return r->Edit(); });
}

int Mdb_RecordDelete(RecordsetPtr records) {
    return record_call(u"Mdb_RecordDelete", records, [](Recordset *r) { return r->Delete(); });
}

int Mdb_RecordUpdate(RecordsetPtr records) {
    return record_call(u"Mdb_RecordUpdate", records,
                       [](Recordset *r) { return r->Update(kUpdateRegular, VARIANT_FALSE); });
}

int Mdb_SelectClose(RecordsetPtr records) {
    return record_call(u"Mdb_SelectClose", records, [](Recordset *r) { return r->Close(); });
}

// An empty selection gives -1 without moving; otherwise the count after a
// move to the last record, and the first record current again. A failure
// of that last move still gives the count read.
LONG Mdb_SelectCount(RecordsetPtr records) {
    if (!records) return -1;
    LONG count = -1;
    return guarded(u"Mdb_SelectCount", LONG(-1), [&] {
        try {
            Recordset *r = records.GetInterfacePtr();
            VARIANT_BOOL eof = VARIANT_FALSE;
            check(r->get_EOF(&eof), r);
            if (eof) return LONG(-1);
            check(r->MoveLast(0), r);
            check(r->get_RecordCount(&count), r);
            check(r->MoveFirst(), r);
            return count;
        } catch (const _com_error &error) {
            report(error, u"Mdb_SelectCount");
            return count;
        }
    });
}
