#pragma once
// The operations that use the data file, run one at a time against a folder,
// and what a whole data file must hold after each of them has worked.

#include "params/pitch_store.h"

#include <string>
#include <vector>

namespace tovrel::test {

using Bytes = std::vector<unsigned char>;

// Every case starts from this list; the operations delete 0.254, add 1.27 or
// record 0.5, which is listed.
const std::vector<float>& startingEntries();

enum class StoreOp { Load, ReadTemplate, RemoveAll, Append, RecordNew, RecordListed };

const std::vector<StoreOp>& everyStoreOp();
std::string nameOf(StoreOp op);

// Runs op on a store of folder. The loaded list and template are checked
// against what the file held (tmpl, startingEntries()) when the operation
// works.
Status runStoreOp(StoreOp op, const std::filesystem::path& folder, const TiffTemplate& tmpl);

// The data file after op worked on template tmpl, startingEntries() and the
// stray bytes tail: whole entries only once it has been rewritten or added to.
Bytes contentAfter(StoreOp op, const TiffTemplate& tmpl, const Bytes& tail = {});

// How an operation must end.
enum class Outcome {
    Works,
    NotFound,    // the not-found message, word for word
    Damaged,     // names the data file and calls it damaged
    NoAccess,    // names the data file and the missing right
    TempBlocked, // names the temporary file and says the data file is unchanged
    Unchanged,   // names the data file and says it is unchanged
};

// Checks status against outcome for the store of folder.
void expectOutcome(Outcome outcome, const Status& status, const std::filesystem::path& folder);

// Whether anything, even a dangling link, stands at the temporary file's name.
bool tempLeft(const std::filesystem::path& folder);

} // namespace tovrel::test
