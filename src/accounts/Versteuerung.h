#pragma once
namespace ledra {

// The switch of the VAT basis (accrual or cash basis) for the open year.

class BooksSession;

// "Prüfen": rewrites the due tax of the open journal for the chosen VAT basis. Throws
// SilentAbort after its own message when it stops.
void switchVersteuerung(BooksSession &fb);

} // namespace ledra
