#!/usr/bin/python3
"""Writes a made-up trade-history download for the replay benchmark.

    bench/replay/make_history.py OUT [--trades 100000] [--seed 1]

The layout of a broker's 約定履歴 download: CP932, CR LF, every field quoted,
a title and the search criteria before the header, thousands separators,
margin trades, deposits and dividends between the cash trades (about one line
in eight is not a cash trade). The same seed gives the same bytes.
"""

import argparse
import datetime
import random
from pathlib import Path

HEADER = ["約定日", "銘柄", "銘柄コード", "市場", "取引", "預り", "課税", "約定数量", "約定単価",
          "手数料/諸経費等", "税額", "受渡日", "受渡金額/決済損益"]
NAMES = ["トヨタ自動車", "ソニーグループ", "任天堂", "三菱ＵＦＪフィナンシャル・グループ", "日本電信電話",
         "ファーストリテイリング", "キーエンス", "武田薬品工業", "ＫＤＤＩ", "信越化学工業"]
# The side of each line, with how often it comes; the first two are cash trades.
SIDES = [("株式現物買", 44), ("株式現物売", 44), ("信用新規買", 5), ("信用返済売", 5), ("入金", 1), ("配当金", 1)]


def quoted(cells):
    return ",".join('"' + c.replace('"', '""') + '"' for c in cells) + "\r\n"


def grouped(value):
    return f"{value:,}"


def lines(trades, rng):
    yield quoted(["約定履歴照会"])
    yield quoted(["期間", "2021/01/01～2025/12/31"])
    yield quoted(["明細数", grouped(trades)])
    yield quoted(["※手数料は税込みです。"])
    yield quoted(HEADER)
    sides, weights = zip(*SIDES)
    # About 55 lines a day: 100,000 lines span five years.
    day = datetime.date(2021, 1, 4)
    for _ in range(trades):
        day += datetime.timedelta(days=rng.random() < 0.018)
        date = day.strftime("%Y/%m/%d")
        side = rng.choices(sides, weights)[0]
        code = rng.randrange(1300, 9999)
        if side in ("入金", "配当金"):
            amount = rng.randrange(1_000, 1_000_000)
            yield quoted([date, "--", "--", "--", side, "--", "--", "--", "--", "0", "0", date, grouped(amount)])
            continue
        quantity = rng.choice([100, 200, 300, 500, 1000, 2000])
        price = rng.randrange(100, 30_000) + rng.choice([0, 0, 0, 0.5])
        fee = rng.choice([0, 55, 99, 275, 535])
        amount = int(quantity * price)
        yield quoted([date, rng.choice(NAMES), str(code), "東証", side, "特定", "申告",
                      grouped(quantity), f"{price:,.1f}" if price % 1 else grouped(int(price)),
                      grouped(fee), grouped(fee // 11), date, grouped(amount + fee)])


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("out", type=Path)
    p.add_argument("--trades", type=int, default=100_000, help="lines after the header")
    p.add_argument("--seed", type=int, default=1)
    a = p.parse_args()
    rng = random.Random(a.seed)
    with open(a.out, "w", encoding="cp932", newline="") as f:
        f.writelines(lines(a.trades, rng))


if __name__ == "__main__":
    main()
