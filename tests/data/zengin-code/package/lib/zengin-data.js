module.exports = {
  "0001": {
    "code": "0001",
    "name": "みずほ",
    "kana": "ミズホ",
    "hira": "みずほ",
    "roma": "mizuho",
    "branches": {
      "100": {
        "code": "100",
        "name": "本店",
        "kana": "ホンテン",
        "hira": "ほんてん",
        "roma": "honten"
      },
      "107": {
        "code": "107",
        "name": "上野",
        "kana": "ウエノ",
        "hira": "うえの",
        "roma": "ueno"
      }
    }
  },
  "0005": {
    "code": "0005",
    "name": "三菱ＵＦＪ",
    "kana": "ミツビシユ－エフジエイ",
    "hira": "みつびしゆ－えふじえい",
    "roma": "mitsubishiyu-efujiei",
    "branches": {
      "103": {
        "code": "103",
        "name": "千代田",
        "kana": "チヨダ",
        "hira": "ちよだ",
        "roma": "chiyoda"
      }
    }
  },
  "0009": {
    "code": "0009",
    "name": "三井住友",
    "kana": "ミツイスミトモ",
    "hira": "みついすみとも",
    "roma": "mitsuisumitomo",
    "branches": {
      "101": {
        "code": "101",
        "name": "大阪本店営業部",
        "kana": "オオサカホンテン",
        "hira": "おおさかほんてん",
        "roma": "oosakahonten"
      },
      "107": {
        "code": "107",
        "name": "鶴橋",
        "kana": "ツルハシ",
        "hira": "つるはし",
        "roma": "tsuruhashi"
      }
    }
  },
  "0010": {
    "code": "0010",
    "name": "りそな",
    "kana": "リソナ",
    "hira": "りそな",
    "roma": "risona",
    "branches": {
      "104": {
        "code": "104",
        "name": "堂島",
        "kana": "ドウジマ",
        "hira": "どうじま",
        "roma": "doujima"
      }
    }
  },
  "0017": {
    "code": "0017",
    "name": "埼玉りそな",
    "kana": "サイタマリソナ",
    "hira": "さいたまりそな",
    "roma": "saitamarisona",
    "branches": {
      "258": {
        "code": "258",
        "name": "北浦和",
        "kana": "キタウラワ",
        "hira": "きたうらわ",
        "roma": "kitaurawa"
      }
    }
  },
  "0125": {
    "code": "0125",
    "name": "七十七",
    "kana": "シチジユウシチ",
    "hira": "しちじゆうしち",
    "roma": "shichijiyuushichi",
    "branches": {
      "200": {
        "code": "200",
        "name": "南町通",
        "kana": "ミナミマチドオリ",
        "hira": "みなみまちどおり",
        "roma": "minamimachidoori"
      }
    }
  },
  "0138": {
    "code": "0138",
    "name": "横浜",
    "kana": "ヨコハマ",
    "hira": "よこはま",
    "roma": "yokohama",
    "branches": {
      "310": {
        "code": "310",
        "name": "関内",
        "kana": "カンナイ",
        "hira": "かんない",
        "roma": "kannai"
      },
      "999": {
        "code": "999",
        "name": "𠮷野町",
        "kana": "ヨシノチヨウ",
        "hira": "よしのちよう",
        "roma": "yoshinochiyou"
      }
    }
  },
  "1170": {
    "code": "1170",
    "name": "杜の都信金",
    "kana": "モリノミヤコシンキン",
    "hira": "もりのみやこしんきん",
    "roma": "morinomiyakoshinkin",
    "branches": {
      "001": {
        "code": "001",
        "name": "本店営業部",
        "kana": "ホンテン",
        "hira": "ほんてん",
        "roma": "honten"
      },
      "022": {
        "code": "022",
        "name": "塩竈営業部",
        "kana": "シオガマ",
        "hira": "しおがま",
        "roma": "shiogama"
      }
    }
  },
  "1933": {
    "code": "1933",
    "name": "九州ひぜん信金",
    "kana": "キユウシユウヒゼンシンキン",
    "hira": "きゆうしゆうひぜんしんきん",
    "roma": "kiyuushiyuuhizenshinkin",
    "branches": {
      "044": {
        "code": "044",
        "name": "諫早",
        "kana": "イサハヤ",
        "hira": "いさはや",
        "roma": "isahaya"
      }
    }
  }
};
