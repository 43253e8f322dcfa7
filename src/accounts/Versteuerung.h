#pragma once
namespace ledra {

// The switch of the VAT basis (accrual or cash basis) for the open year.

class BooksSession;

// "Prüfen": rewrites the due tax of the open journal for the chosen VAT basis. False when the
// question was answered No and nothing changed. Throws SilentAbort after its own message when
// it stops.
bool switchVersteuerung(BooksSession &fb);

} // namespace ledra
