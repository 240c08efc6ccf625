CREATE TABLE IF NOT EXISTS items(  id INTEGER PRIMARY KEY,  url TEXT NOT NULL,  urlkey TEXT NOT NULL UNIQUE);CREATE TABLE IF NOT EXISTS attributes(  item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,  name TEXT NOT NULL,  value TEXT NOT NULL,  PRIMARY KEY(item, name));INSERT INTO items VALUES(1,'C:\Users\user\Music\歌手\アルバム\01 一曲目.mp3','c:\users\user\music\歌手\アルバム\01 一曲目.mp3');
INSERT INTO items VALUES(2,'C:\Users\user\Music\歌手\アルバム\02 二曲目.mp3','c:\users\user\music\歌手\アルバム\02 二曲目.mp3');
INSERT INTO attributes VALUES(1,'wm/albumtitle','アルバム'),(1,'wm/tracknumber','1'),(1,'toc','2+96+1F6+2EE'),(1,'title','一曲目');
INSERT INTO attributes VALUES(2,'wm/albumtitle','アルバム'),(2,'wm/tracknumber','2/2'),(2,'toc','2+96+1F6+2EE');
