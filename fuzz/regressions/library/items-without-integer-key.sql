CREATE TABLE items(id, url, urlkey);CREATE TABLE attributes(item, name, value);
INSERT INTO items VALUES(1,NULL,NULL),(2,X'00ff41',2),(3,'A.mp3','x'),(4,'a.MP3','y'),(9223372036854775807,'big','big'),(-5,'','');
INSERT INTO attributes VALUES(1,'WM/AlbumTitle','Album'),(1,'wm/albumtitle','Other'),(3,NULL,NULL),(3,'toc',X'fffe'),(99,'orphan','x'),('text','name',1.5),(4,'WM/TrackNumber','-2147483649');
