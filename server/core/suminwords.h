#pragma once

#include "currency.h"

#include <QString>

// Money sums written out in Russian words for the report export, with the agreement rules of
// hundreds, tens, teens, thousands (feminine), millions, billions and trillions.

// The whole number in words, every word followed by one blank ("две тысячи "; 0 gives "ноль ").
// A fraction is rounded away (a half away from zero); a negative number gives "минус " and the
// words of its absolute value. Every currency amount has words (its largest is below 10^15).
QString NumberInWords(Currency Number);

// "( " + roubles in words + "Руб " + kopecks in words + "Коп " + " )", the first letter capitalised:
// 1234.50 gives "( Одна тысяча двести тридцать четыре Руб пятьдесят Коп  )". The sum is first
// rounded to whole kopecks as FormatSum rounds it; a negative sum reads "( Минус ...".
QString SumInWords(Currency Sum);
