#!/usr/bin/python3
# Makes the small GnuCash books the conversion tests read, with GnuCash's
# own Python bindings (Debian: gnucash python3-gnucash), and prints every
# account's balance as GnuCash sees it. Run with Debian's python3:
#   /usr/bin/python3 tests/data/books/make_gnucash_books.py OUTDIR
import os
import sys
from datetime import datetime
from fractions import Fraction

from gnucash import Account, GncNumeric, GncPrice, Session, SessionOpenMode, Split, Transaction


def numeric(value):
    f = Fraction(value).limit_denominator(10000)
    return GncNumeric(f.numerator, f.denominator)


def make(uri):
    if uri.startswith("sqlite3"):
        # GnuCash 4.13's SQL backend stores nothing into a book it is still
        # creating: the new file is made first and opened again to fill it.
        Session(uri, SessionOpenMode.SESSION_NEW_STORE).end()
        session = Session(uri, SessionOpenMode.SESSION_NORMAL_OPEN)
    else:
        session = Session(uri, SessionOpenMode.SESSION_NEW_OVERWRITE)
    book = session.book
    table = book.get_table()
    eur = table.lookup("CURRENCY", "EUR")
    usd = table.lookup("CURRENCY", "USD")
    root = book.get_root_account()

    def account(name, kind, parent, commodity=eur, placeholder=False):
        a = Account(book)
        a.BeginEdit()
        a.SetName(name)
        a.SetType(kind)
        a.SetCommodity(commodity)
        a.SetPlaceholder(placeholder)
        parent.append_child(a)
        a.CommitEdit()
        return a

    from gnucash.gnucash_core_c import (ACCT_TYPE_ASSET, ACCT_TYPE_BANK, ACCT_TYPE_CASH,
                                        ACCT_TYPE_CREDIT, ACCT_TYPE_EQUITY, ACCT_TYPE_EXPENSE,
                                        ACCT_TYPE_INCOME, ACCT_TYPE_LIABILITY, ACCT_TYPE_STOCK)
    assets = account("Assets", ACCT_TYPE_ASSET, root, placeholder=True)
    current = account("Current Assets", ACCT_TYPE_ASSET, assets, placeholder=True)
    checking = account("Checking Account", ACCT_TYPE_BANK, current)
    cash = account("Cash in Wallet", ACCT_TYPE_CASH, current)
    dollars = account("Dollar Account", ACCT_TYPE_BANK, current, usd)
    liabilities = account("Liabilities", ACCT_TYPE_LIABILITY, root, placeholder=True)
    card = account("Credit Card", ACCT_TYPE_CREDIT, liabilities)
    income = account("Income", ACCT_TYPE_INCOME, root, placeholder=True)
    salary = account("Salary", ACCT_TYPE_INCOME, income)
    expenses = account("Expenses", ACCT_TYPE_EXPENSE, root, placeholder=True)
    groceries = account("Groceries", ACCT_TYPE_EXPENSE, expenses)
    auto = account("Auto", ACCT_TYPE_EXPENSE, expenses)
    fuel = account("Fuel", ACCT_TYPE_EXPENSE, auto)
    equity = account("Equity", ACCT_TYPE_EQUITY, root, placeholder=True)
    opening = account("Opening Balances", ACCT_TYPE_EQUITY, equity)
    from gnucash import GncCommodity
    acme = GncCommodity(book, "Acme Corp", "NASDAQ", "ACME", "", 1)
    table.insert(acme)
    stock = account("Acme", ACCT_TYPE_STOCK, assets, acme)

    def transaction(day, description, parts, currency=eur, num=""):
        t = Transaction(book)
        t.BeginEdit()
        t.SetCurrency(currency)
        t.SetDate(day.day, day.month, day.year)
        t.SetDescription(description)
        t.SetNum(num)
        for acct, value, quantity, memo in parts:
            s = Split(book)
            s.SetParent(t)
            s.SetAccount(acct)
            s.SetValue(numeric(value))
            s.SetAmount(numeric(quantity if quantity is not None else value))
            s.SetMemo(memo)
        t.CommitEdit()

    d = datetime
    transaction(d(2026, 1, 1), "Opening Balance",
                [(checking, "1000", None, ""), (opening, "-1000", None, "")])
    transaction(d(2026, 1, 2), "Opening Balance",
                [(card, "-120.50", None, ""), (opening, "120.50", None, "")])
    transaction(d(2026, 1, 25), "Employer GmbH",
                [(checking, "2500", None, ""), (salary, "-2500", None, "January")], num="17")
    transaction(d(2026, 1, 5), "Supermarket",
                [(checking, "-45.67", None, ""), (groceries, "45.67", None, "")])
    transaction(d(2026, 1, 7), "Garage and shop",
                [(checking, "-100", None, ""), (groceries, "60", None, "bread"),
                 (fuel, "40", None, "diesel")])
    transaction(d(2026, 1, 9), "ATM",
                [(checking, "-200", None, ""), (cash, "200", None, "")])
    transaction(d(2026, 1, 11), "Petrol station",
                [(card, "-55.55", None, ""), (fuel, "55.55", None, "")])
    transaction(d(2026, 1, 12), "To the dollar account",
                [(checking, "-500", None, ""), (dollars, "500", "540", "")])
    transaction(d(2026, 1, 14), "Buy Acme",
                [(checking, "-300", None, ""), (stock, "300", "3", "")])
    transaction(d(2026, 1, 15), "Market \u00e9t\u00e9",
                [(cash, "-12.34", None, ""), (groceries, "12.34", None, "")])

    price = GncPrice(book)
    price.begin_edit()
    price.set_commodity(usd)
    price.set_currency(eur)
    price.set_time64(d(2026, 1, 12))
    price.set_source_string("user:price")
    price.set_typestr("last")
    price.set_value(GncNumeric(92, 100))
    price.commit_edit()
    book.get_price_db().add_price(price)

    for a in (checking, cash, dollars, card):
        print(uri.split(":")[0], a.GetName(), a.GetBalance().to_string())
    if uri.startswith("xml"):
        session.save()  # an SQL book stores each change as it is committed
    session.end()


# One book per process: GnuCash's backends do not start twice in one.
out = sys.argv[1]
if len(sys.argv) > 2:
    make(sys.argv[2] + os.path.join(out, "gnucash-book" + sys.argv[3]))
else:
    import subprocess
    for scheme, suffix in (("xml://", ".gnucash"), ("sqlite3://", ".sqlite.gnucash")):
        subprocess.run([sys.executable, __file__, out, scheme, suffix], check=True)
